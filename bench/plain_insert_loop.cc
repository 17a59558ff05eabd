// The floor the import is measured against: the rows an import saved into TABLE, copied into a
// fresh copy of the empty database with one prepared insert in one transaction, the values read
// beforehand (outside the timing) in chunks and bound as the engine stores them; then the index
// script run on that copy. Both timed; nothing of the import's reading, rules or conversion.
// Usage: plain_insert_loop IMPORTED.db EMPTY_COPY.db TABLE.dbf pk.sql
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dbf/table_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kChunkRows = 10'000;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// One value as it was stored: its storage class and its bytes or number.
struct StoredValue {
  int type = SQLITE_NULL;
  sqlite3_int64 integer = 0;
  double real = 0;
  std::string bytes;
};

bool Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
  std::fprintf(stderr, "%s: %s\n", sql.substr(0, 80).c_str(), error ? error : "?");
  sqlite3_free(error);
  return false;
}

// The script as one text, each GO line ending a statement.
std::string ScriptText(const char* path) {
  std::ifstream in(path);
  std::ostringstream out;
  for (std::string line; std::getline(in, line);) {
    out << (line == "GO" || line == "GO\r" ? ";" : line) << "\n";
  }
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: plain_insert_loop IMPORTED.db EMPTY_COPY.db TABLE.dbf pk.sql\n");
    return 2;
  }
  auto reader = zuna::dbf::TableReader::Open(argv[3]);
  if (!reader.ok()) {
    std::fprintf(stderr, "%s\n", reader.status().ToString().c_str());
    return 1;
  }
  const std::string table = (*reader)->path().stem().string();
  std::string names, marks;
  for (const zuna::dbf::Field& field : (*reader)->fields()) {
    names += (names.empty() ? "\"" : ", \"") + field.name + "\"";
    marks += marks.empty() ? "?" : ", ?";
  }
  const std::size_t width = (*reader)->fields().size();

  sqlite3* source = nullptr;
  sqlite3* target = nullptr;
  if (sqlite3_open_v2(argv[1], &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      sqlite3_open_v2(argv[2], &target, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot open the databases\n");
    return 1;
  }
  // The settings the import's connection uses.
  if (!Exec(target, "PRAGMA synchronous=NORMAL; PRAGMA cache_size=-65536;")) return 1;
  sqlite3_stmt* select = nullptr;
  sqlite3_stmt* insert = nullptr;
  const std::string select_sql = "SELECT " + names + " FROM \"" + table + "\" ORDER BY rowid";
  const std::string insert_sql =
      "INSERT INTO \"" + table + "\" (" + names + ") VALUES (" + marks + ")";
  if (sqlite3_prepare_v2(source, select_sql.c_str(), -1, &select, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(target, insert_sql.c_str(), -1, &insert, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "prepare: %s / %s\n", sqlite3_errmsg(source), sqlite3_errmsg(target));
    return 1;
  }

  std::vector<std::vector<StoredValue>> chunk(kChunkRows, std::vector<StoredValue>(width));
  double loop_seconds = 0;
  std::uint64_t rows = 0;
  if (!Exec(target, "BEGIN")) return 1;
  for (bool more = true; more;) {
    std::size_t filled = 0;
    while (filled < kChunkRows && (more = sqlite3_step(select) == SQLITE_ROW)) {
      for (std::size_t i = 0; i < width; ++i) {
        StoredValue& v = chunk[filled][i];
        const int column = static_cast<int>(i);
        v.type = sqlite3_column_type(select, column);
        if (v.type == SQLITE_INTEGER) v.integer = sqlite3_column_int64(select, column);
        if (v.type == SQLITE_FLOAT) v.real = sqlite3_column_double(select, column);
        if (v.type == SQLITE_TEXT || v.type == SQLITE_BLOB) {
          const void* bytes = v.type == SQLITE_TEXT
                                  ? static_cast<const void*>(sqlite3_column_text(select, column))
                                  : sqlite3_column_blob(select, column);
          v.bytes.assign(static_cast<const char*>(bytes),
                         static_cast<std::size_t>(sqlite3_column_bytes(select, column)));
        }
      }
      ++filled;
    }
    const auto start = Clock::now();
    for (std::size_t r = 0; r < filled; ++r) {
      for (std::size_t i = 0; i < width; ++i) {
        const StoredValue& v = chunk[r][i];
        const int slot = static_cast<int>(i + 1);
        switch (v.type) {
          case SQLITE_INTEGER:
            sqlite3_bind_int64(insert, slot, v.integer);
            break;
          case SQLITE_FLOAT:
            sqlite3_bind_double(insert, slot, v.real);
            break;
          case SQLITE_TEXT:
            sqlite3_bind_text(insert, slot, v.bytes.data(), static_cast<int>(v.bytes.size()),
                              SQLITE_STATIC);
            break;
          case SQLITE_BLOB:
            sqlite3_bind_blob(insert, slot, v.bytes.data(), static_cast<int>(v.bytes.size()),
                              SQLITE_STATIC);
            break;
          default:
            sqlite3_bind_null(insert, slot);
            break;
        }
      }
      if (sqlite3_step(insert) != SQLITE_DONE) {
        std::fprintf(stderr, "insert: %s\n", sqlite3_errmsg(target));
        return 1;
      }
      sqlite3_reset(insert);
    }
    loop_seconds += Seconds(start);
    rows += filled;
  }
  auto start = Clock::now();
  if (!Exec(target, "COMMIT")) return 1;
  loop_seconds += Seconds(start);
  sqlite3_finalize(insert);
  sqlite3_finalize(select);

  start = Clock::now();
  if (!Exec(target, ScriptText(argv[4]))) return 1;
  const double index_seconds = Seconds(start);
  sqlite3_close(target);
  sqlite3_close(source);
  std::printf("%llu %.3f %.3f\n", static_cast<unsigned long long>(rows), loop_seconds,
              index_seconds);
  return 0;
}
