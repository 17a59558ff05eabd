// The bare loader the import is measured against: the table mapped in memory, one prepared
// insert bound per row with every field as its raw text, one transaction, no rules at all.
// Usage: bare_loader TABLE.dbf DATABASE
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bare_loader TABLE.dbf DATABASE\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const int fd = ::open(argv[1], O_RDONLY);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) return 1;
  const auto* data = static_cast<const unsigned char*>(
      ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0));
  std::uint32_t rows;
  std::uint16_t header, record;
  std::memcpy(&rows, data + 4, 4);
  std::memcpy(&header, data + 8, 2);
  std::memcpy(&record, data + 10, 2);
  std::vector<std::pair<std::string, int>> fields;
  for (std::size_t p = 32; data[p] != 0x0D; p += 32) {
    fields.emplace_back(std::string(reinterpret_cast<const char*>(data + p)), data[p + 16]);
  }
  sqlite3* db = nullptr;
  sqlite3_open(argv[2], &db);
  std::string create = "CREATE TABLE t (", insert = "INSERT INTO t VALUES (";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    create += (i ? ", " : "") + fields[i].first;
    insert += i ? ",?" : "?";
  }
  sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &stmt, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (std::uint32_t r = 0; r < rows; ++r) {
    const unsigned char* rec = data + header + std::size_t{r} * record;
    std::size_t offset = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      sqlite3_bind_text(stmt, static_cast<int>(i + 1), reinterpret_cast<const char*>(rec + offset),
                        fields[i].second, SQLITE_STATIC);
      offset += static_cast<std::size_t>(fields[i].second);
    }
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%u rows in %.2f s\n", rows, seconds);
  return 0;
}
