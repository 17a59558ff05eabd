// Converts a 100,000-line text file to PDF with the text-to-PDF writer and prints MB/s; in the
// same run the same file goes through enscript and ps2pdf, the usual peer on Debian.
// Usage: pdf_bench [LINES] [FOLDER]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "pdf/txt_to_pdf.h"
#include "platform/operator/operator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Reports nothing: a benchmark run has no operator.
class SilentOperator : public zuna::Operator {
 public:
  void ShowMessage(std::string_view text, zuna::MessageIcon, zuna::MessageTitle) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
  void ShowError(const zuna::Status& status) override {
    std::fprintf(stderr, "%s\n", status.ToString().c_str());
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 100'000;
  const fs::path folder =
      fs::path(argc > 2 ? argv[2] : fs::temp_directory_path().string()) / "zuna-pdf-bench";
  fs::create_directories(folder);
  const fs::path text = folder / "data_transfer_rpt";
  {
    // Rows shaped like the report's: a table name and three numbers, a form feed every 50 rows.
    std::ofstream out(text, std::ios::binary);
    char row[160];
    for (int i = 0; i < lines; ++i) {
      std::snprintf(row, sizeof row, "|table_%-24d|%30d|%35d|%10d|\r\n", i, i * 7, i * 7 + i % 3,
                    i % 3);
      out << row;
      if (i % 50 == 49) out << "\f\r\n";
    }
  }
  const double megabytes = static_cast<double>(fs::file_size(text)) / 1e6;

  SilentOperator op;
  zuna::pdf::TxtToPdf writer(op);
  auto start = Clock::now();
  writer.ConvertTextToPdf(text, folder / "ours.pdf", zuna::pdf::PdfOptions{});
  const double ours = Seconds(start);

  start = Clock::now();
  const std::string peer = "enscript -q -B -f Courier8 --media=Letter -o '" +
                           (folder / "peer.ps").string() + "' '" + text.string() + "' && ps2pdf '" +
                           (folder / "peer.ps").string() + "' '" + (folder / "peer.pdf").string() +
                           "'";
  const int status = std::system(peer.c_str());
  const double theirs = Seconds(start);

  std::printf("text %d lines, %.2f MB; %d pages\n", lines, megabytes, writer.page_count());
  std::printf("txt_to_pdf          %.3f s  %.1f MB/s\n", ours, megabytes / ours);
  if (status == 0) {
    std::printf("enscript + ps2pdf   %.3f s  %.1f MB/s  (ours is %.1f x faster)\n", theirs,
                megabytes / theirs, theirs / ours);
  } else {
    std::printf("enscript + ps2pdf   not available (install enscript and ghostscript)\n");
  }
  fs::remove_all(folder);
  return 0;
}
