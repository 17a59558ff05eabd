// Scans a generated personnel-shaped FoxPro table (81 columns) with the table reader, decoding
// every field into a typed value, and prints rows/s and MB/s next to a plain read of the same
// file in the same run.  Usage: dbf_read_bench [ROWS] [FOLDER]
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/dbf/table_reader.h"
#include "tools/sample_data/table_shapes.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

long PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// Reads the file in 1 MiB chunks and touches every byte, the least any reader must do.
std::uint64_t PlainRead(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  std::vector<char> buffer(1 << 20);
  std::uint64_t sum = 0;
  ssize_t n;
  while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
    for (ssize_t i = 0; i < n; i += 64)
      sum += static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]);
  }
  ::close(fd);
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t rows = argc > 1 ? std::stoull(argv[1]) : 1'000'000;
  const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
  const auto path = folder / ("bench_personnel_" + std::to_string(rows) + ".dbf");

  if (!std::filesystem::exists(path)) {
    const auto start = Clock::now();
    auto writer = zuna::sample::DbfWriter::Create(path, zuna::sample::PersonnelColumns());
    if (!writer.ok()) {
      std::fprintf(stderr, "%s\n", writer.status().ToString().c_str());
      return 1;
    }
    for (std::uint64_t n = 0; n < rows; ++n) {
      if (!writer->AddRow(zuna::sample::PersonnelRow(n)).ok()) return 1;
    }
    if (!writer->Finish().ok()) return 1;
    std::printf("generated %s in %.2f s\n", path.c_str(), Seconds(start));
  }
  const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

  PlainRead(path);  // warm the page cache so both runs read from memory
  auto start = Clock::now();
  const std::uint64_t checksum = PlainRead(path);
  const double plain = Seconds(start);

  start = Clock::now();
  auto reader = zuna::dbf::TableReader::Open(path);
  if (!reader.ok()) {
    std::fprintf(stderr, "%s\n", reader.status().ToString().c_str());
    return 1;
  }
  std::vector<zuna::Value> row;
  std::uint64_t count = 0, text_bytes = 0;
  while (*(*reader)->Next(row)) {
    ++count;
    text_bytes += row[4].text().size();
  }
  const double decoded = Seconds(start);

  std::printf("rows %llu, columns %zu, file %.1f MB (checksum %llu, text %llu)\n",
              static_cast<unsigned long long>(count), (*reader)->fields().size(), megabytes,
              static_cast<unsigned long long>(checksum),
              static_cast<unsigned long long>(text_bytes));
  std::printf("plain read      %.3f s  %.0f MB/s\n", plain, megabytes / plain);
  std::printf("table reader    %.3f s  %.0f MB/s  %.0f rows/s  (%.2f x the plain read)\n", decoded,
              megabytes / decoded, static_cast<double>(count) / decoded, decoded / plain);
  std::printf("peak memory     %ld MB\n", PeakRssMb());
  return 0;
}
