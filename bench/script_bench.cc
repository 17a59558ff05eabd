// Runs one-batch scripts of 1, 2, 4 ... 32 MB through the script runner on the embedded engine
// and prints the time per size: the time must grow with the size, not with its square, so the
// 32 MB script may take about 32 times the 1 MB one. In the same run each text goes to a plain
// sqlite3_exec on a fresh database, the peer.
// Usage: script_bench [MEGABYTES_OF_THE_LARGEST] [FOLDER]  (default 32)
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sources/data_sources.h"
#include "scripts/script_runner.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kStatementPayload = 1000;
constexpr const char* kScriptName = "CreateTableScript.sql";
constexpr const char* kConnection = "Provider=SQLOLEDB.1;Initial Catalog=zuna;Data Source=";

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// A script of about `bytes` bytes in one batch: a table, then inserts of a 1,000-character text
// in one transaction, so that the time goes into reading statements, not into syncs.
std::string Script(std::size_t bytes) {
  std::string text = "CREATE TABLE t (n int, pad varchar(1000));\r\nBEGIN;\r\n";
  const std::string pad(kStatementPayload, 'x');
  for (std::size_t n = 0; text.size() < bytes; ++n) {
    text += "INSERT INTO t VALUES (" + std::to_string(n) + ", '" + pad + "');\r\n";
  }
  return text + "COMMIT;\r\n";
}

// A fresh, empty database file zuna.db in `folder`.
bool FreshDatabase(const fs::path& folder) {
  fs::remove(folder / "zuna.db");
  sqlite3* db = nullptr;
  const bool made =
      sqlite3_open_v2((folder / "zuna.db").c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                      nullptr) == SQLITE_OK &&
      sqlite3_exec(db, "PRAGMA application_id = 1", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return made;
}

double Ours(const fs::path& folder, const std::string& text) {
  std::ofstream(folder / kScriptName, std::ios::binary) << text;
  if (!FreshDatabase(folder)) return -1;
  const zuna::sources::DataSources sources(folder, {}, {});
  const auto start = Clock::now();
  const zuna::Status ran = zuna::scripts::RunScriptFile(sources, kConnection, kScriptName,
                                                        zuna::scripts::GoLines::kSeparateBatches);
  const double seconds = Seconds(start);
  if (!ran.ok()) std::fprintf(stderr, "%s\n", ran.ToString().c_str());
  return ran.ok() ? seconds : -1;
}

double Peer(const fs::path& folder, const std::string& text) {
  if (!FreshDatabase(folder)) return -1;
  sqlite3* db = nullptr;
  sqlite3_open_v2((folder / "zuna.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  const auto start = Clock::now();
  const int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr);
  const double seconds = Seconds(start);
  sqlite3_close(db);
  return rc == SQLITE_OK ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t largest = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32;
  const fs::path folder =
      fs::path(argc > 2 ? argv[2] : fs::temp_directory_path().string()) / "zuna-script-bench";
  fs::create_directories(folder);
  std::printf("%8s %12s %12s %14s %12s\n", "MB", "runner s", "sqlite3 s", "runner/1 MB",
              "vs sqlite3");
  double first = 0, last = 0;
  std::size_t megabytes = 1;
  for (; megabytes <= largest; megabytes *= 2) {
    const std::string text = Script(megabytes << 20);
    const double ours = Ours(folder, text);
    const double peer = Peer(folder, text);
    if (ours < 0 || peer < 0) {
      std::fprintf(stderr, "the %zu MB script failed\n", megabytes);
      return 1;
    }
    if (megabytes == 1) first = ours;
    last = ours;
    std::printf("%8zu %12.3f %12.3f %13.1fx %11.2fx\n", megabytes, ours, peer, ours / first,
                ours / peer);
  }
  const std::size_t size = megabytes / 2;
  std::printf("the %zu MB script took %.1f times the 1 MB one (linear time: %zu, square: %zu)\n",
              size, last / first, size, size * size);
  fs::remove_all(folder);
  return 0;
}
