// Saves personnel-shaped rows (81 columns) through the recordset layer into the embedded engine
// and prints rows/s next to a plain SQLite prepared-insert loop in one transaction, run in the
// same process on the same values; then the same rows through ODBC with parameter arrays and row
// by row.  Usage: save_bench [ROWS] [FOLDER] [ODBC_ROWS] [--statement-rows]
// With --statement-rows as the fourth argument it times only the plain loop, with statements of
// 1, 4, 8, 16 and 32 rows each, alternating, three passes, and prints the CPU time of each.
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sources/data_sources.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/sql_recordset.h"
#include "tools/sample_data/table_shapes.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using zuna::Value;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// User and system time of the process so far.
struct CpuTime {
  double user = 0;
  double system = 0;
};
CpuTime CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
  };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

struct LoopTime {
  double seconds = 0;
  double user = 0;
  double system = 0;
};

std::string SqlType(const zuna::sample::ColumnSpec& c) {
  switch (c.type) {
    case 'C':
      return "varchar(" + std::to_string(c.length) + ")";
    case 'N':
      return c.decimals
                 ? "decimal(" + std::to_string(c.length) + "," + std::to_string(c.decimals) + ")"
                 : "int";
    case 'D':
      return "datetime";
    case 'L':
      return "bit";
    default:
      return "varchar(254)";
  }
}

// The values a FoxPro source would deliver for a personnel row.
std::vector<Value> TypedRow(std::uint64_t n) {
  const auto& columns = zuna::sample::PersonnelColumns();
  const auto texts = zuna::sample::PersonnelRow(n);
  std::vector<Value> row(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string& t = texts[i];
    switch (columns[i].type) {
      case 'C': {
        std::string padded = t;
        padded.resize(columns[i].length, ' ');
        row[i] = Value::Text(padded);
        break;
      }
      case 'N':
        if (!zuna::ParseNumberText(t, row[i])) row[i] = Value::Null();
        break;
      case 'D':
        if (t.size() == 8)
          row[i] = Value::Date(
              {std::stoi(t.substr(0, 4)), std::stoi(t.substr(4, 2)), std::stoi(t.substr(6, 2))});
        break;
      case 'L':
        row[i] = Value::Boolean(t == "T");
        break;
    }
  }
  return row;
}

std::string CreateTable() {
  std::string sql = "CREATE TABLE personnel (";
  const auto& columns = zuna::sample::PersonnelColumns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + columns[i].name + " " + SqlType(columns[i]);
  }
  return sql + ")";
}

// The plain loop: one prepared insert of `rows_per_statement` rows (the rest one row at a time),
// values bound as SQLite takes them, one transaction.
LoopTime PlainLoop(const fs::path& file, const std::vector<std::vector<Value>>& rows,
                   std::uint64_t count, std::size_t rows_per_statement = 1) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  // The engine's own journal settings, so the comparison measures only the layer.
  sqlite3_exec(db,
               ("PRAGMA journal_mode=DELETE; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-65536;" +
                CreateTable())
                   .c_str(),
               nullptr, nullptr, nullptr);
  const std::size_t width = rows[0].size();
  const auto prepare = [&](std::size_t statement_rows) {
    std::string one = "(";
    for (std::size_t i = 0; i < width; ++i) one += i ? ",?" : "?";
    one += ")";
    std::string sql = "INSERT INTO personnel VALUES ";
    for (std::size_t r = 0; r < statement_rows; ++r) sql += (r ? "," : "") + one;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    return stmt;
  };
  sqlite3_stmt* single = prepare(1);
  sqlite3_stmt* multi = prepare(rows_per_statement);
  // Dates go in as ISO text, prepared outside the timed loop.
  std::vector<std::vector<std::string>> iso(rows.size(), std::vector<std::string>(width));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t i = 0; i < width; ++i) {
      if (rows[r][i].kind() == zuna::ValueKind::kDate) {
        char b[32];
        const auto d = rows[r][i].date();
        std::snprintf(b, sizeof b, "%04d-%02d-%02d 00:00:00", d.year, d.month, d.day);
        iso[r][i] = b;
      }
    }
  }
  const auto bind = [&](sqlite3_stmt* stmt, std::size_t first_slot, std::size_t r) {
    for (std::size_t i = 0; i < width; ++i) {
      const Value& v = rows[r][i];
      const int slot = static_cast<int>(first_slot + i + 1);
      switch (v.kind()) {
        case zuna::ValueKind::kText:
          sqlite3_bind_text(stmt, slot, v.text().data(), static_cast<int>(v.text().size()),
                            SQLITE_STATIC);
          break;
        case zuna::ValueKind::kInteger:
        case zuna::ValueKind::kBoolean:
          sqlite3_bind_int64(stmt, slot, v.integer());
          break;
        case zuna::ValueKind::kDecimal:
          sqlite3_bind_double(stmt, slot, v.AsDouble());
          break;
        case zuna::ValueKind::kDate:
          sqlite3_bind_text(stmt, slot, iso[r][i].data(), static_cast<int>(iso[r][i].size()),
                            SQLITE_STATIC);
          break;
        default:
          sqlite3_bind_null(stmt, slot);
          break;
      }
    }
  };
  const auto start = Clock::now();
  const CpuTime cpu_start = CpuSeconds();
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  std::uint64_t n = 0;
  for (; n + rows_per_statement <= count; n += rows_per_statement) {
    for (std::size_t k = 0; k < rows_per_statement; ++k) {
      bind(multi, k * width, static_cast<std::size_t>((n + k) % rows.size()));
    }
    sqlite3_step(multi);
    sqlite3_reset(multi);
  }
  for (; n < count; ++n) {
    bind(single, 0, static_cast<std::size_t>(n % rows.size()));
    sqlite3_step(single);
    sqlite3_reset(single);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  const CpuTime cpu_end = CpuSeconds();
  const LoopTime time{Seconds(start), cpu_end.user - cpu_start.user,
                      cpu_end.system - cpu_start.system};
  sqlite3_finalize(multi);
  sqlite3_finalize(single);
  sqlite3_close(db);
  return time;
}

// The plain loop with statements of several sizes, alternating, three passes each: the CPU a
// multi-row INSERT saves per row.
void CompareStatementSizes(const fs::path& folder, const std::vector<std::vector<Value>>& rows,
                           std::uint64_t count) {
  const std::vector<std::size_t> sizes = {1, 4, 8, 16, 32};
  std::vector<std::vector<LoopTime>> passes(sizes.size());
  for (int pass = 0; pass < 3; ++pass) {
    for (std::size_t s = 0; s < sizes.size(); ++s) {
      fs::remove(folder / "statements.db");
      ::sync();
      passes[s].push_back(PlainLoop(folder / "statements.db", rows, count, sizes[s]));
    }
  }
  fs::remove(folder / "statements.db");
  const auto median = [](std::vector<LoopTime> times, double LoopTime::*part) {
    std::vector<double> values;
    for (const LoopTime& t : times) values.push_back(t.*part);
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  };
  std::printf("rows %llu, plain loop, medians of three passes: user, sys, user+sys\n",
              static_cast<unsigned long long>(count));
  const double one_row = median(passes[0], &LoopTime::user);
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    const double user = median(passes[s], &LoopTime::user);
    const double system = median(passes[s], &LoopTime::system);
    std::vector<LoopTime> sums = passes[s];
    for (LoopTime& t : sums) t.user += t.system;
    std::printf("%2zu rows a statement   %.2f %.2f %.2f s  (user %.3f x one row)\n", sizes[s], user,
                system, median(sums, &LoopTime::user), user / one_row);
  }
}

// Saves `count` rows through a recordset on `connection`; the seconds since `start`, or -1 when
// a row was refused.
double SaveRows(std::shared_ptr<zuna::sql::Connection> connection,
                const std::vector<std::vector<Value>>& rows, std::uint64_t count, bool by_name,
                Clock::time_point start) {
  const auto& columns = zuna::sample::PersonnelColumns();
  auto rs = zuna::sql::OpenSqlRecordset(std::move(connection), "select * from personnel");
  if (!rs.ok()) {
    std::fprintf(stderr, "%s\n", rs.status().ToString().c_str());
    return -1;
  }
  // The import finds each target column once per table and lends the source's values.
  std::vector<int> target(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) target[i] = (*rs)->FindField(columns[i].name);
  std::uint64_t failed = 0;
  for (std::uint64_t n = 0; n < count; ++n) {
    const auto& row = rows[n % rows.size()];
    (void)(*rs)->AddNew();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (by_name) {
        (void)(*rs)->SetByName(columns[i].name, row[i]);
      } else {
        (void)(*rs)->SetBorrowed(target[i], row[i]);
      }
    }
    if (!(*rs)->Update().ok()) ++failed;
  }
  if (!(*rs)->Close().ok() || failed > 0 || !(*rs)->TakeLateRefusals().empty()) return -1;
  return Seconds(start);
}

// A fresh SQLite file through ODBC, with the personnel table, `rows_per_batch` rows to an
// array. Debian's libsqliteodbc registers its driver as SQLite3.
zuna::Result<std::shared_ptr<zuna::sql::odbc::OdbcConnection>> OpenOdbc(
    const fs::path& file, std::size_t rows_per_batch) {
  fs::remove(file);
  zuna::sql::odbc::OdbcOptions options;
  options.rows_per_batch = rows_per_batch;
  ASSIGN_OR_RETURN(auto connection, zuna::sql::odbc::OdbcConnection::Open(
                                        "Driver=SQLite3;Database=" + file.string(), options));
  RETURN_IF_ERROR(connection->Execute(CreateTable()));
  return connection;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t count = argc > 1 ? std::stoull(argv[1]) : 1'000'000;
  const fs::path folder =
      fs::path(argc > 2 ? argv[2] : fs::temp_directory_path().string()) / "zuna-save-bench";
  fs::remove_all(folder);
  fs::create_directories(folder);

  std::vector<std::vector<Value>> rows;
  for (std::uint64_t n = 0; n < 1000; ++n) rows.push_back(TypedRow(n));
  const auto& columns = zuna::sample::PersonnelColumns();
  if (argc > 4 && std::string(argv[4]) == "--statement-rows") {
    CompareStatementSizes(folder, rows, count);
    fs::remove_all(folder);
    return 0;
  }

  // Each pass writes about a gigabyte. Its file is removed and the disk cache written back
  // before the next pass starts, outside the timing, so that no pass pays for another's writes.
  const auto settle = [&](const char* database) {
    fs::remove(folder / (std::string(database) + ".db"));
    ::sync();
  };
  settle("plain");
  const double plain = PlainLoop(folder / "plain.db", rows, count).seconds;
  settle("plain");

  // Each pass saves into a fresh database through the layer, with the engine's own commit
  // groups (the crash bound the README gives).
  const auto layer = [&](const char* database, bool by_name) -> double {
    zuna::sources::DataSources sources(folder, zuna::config::IniFile(), {});
    const std::string prefix = "Provider=SQLOLEDB.1;Initial Catalog=";
    const std::string suffix = ";Integrated Security=SSPI;Data Source=";
    {
      auto master = sources.OpenConnection(prefix + "master" + suffix);
      if (!master.ok() || !(*master)->Execute(std::string("CREATE DATABASE ") + database).ok()) {
        return -1;
      }
      auto target = sources.OpenConnection(prefix + database + suffix);
      if (!target.ok() || !(*target)->Execute(CreateTable()).ok()) return -1;
    }
    const auto start = Clock::now();
    auto connection = sources.OpenConnection(prefix + database + suffix);
    if (!connection.ok()) return -1;
    const double seconds = SaveRows(std::move(connection).value(), rows, count, by_name, start);
    settle(database);
    return seconds;
  };
  const double by_name = layer("by_name", true);
  const double as_import = layer("as_import", false);
  if (as_import < 0 || by_name < 0) {
    std::fprintf(stderr, "the layer refused rows\n");
    return 1;
  }

  std::printf("rows %llu, columns %zu\n", static_cast<unsigned long long>(count), columns.size());
  std::printf("plain SQLite loop, one transaction   %.2f s  %.0f rows/s\n", plain,
              static_cast<double>(count) / plain);
  const auto line = [&](const char* what, double seconds) {
    std::printf("%-37s%.2f s  %.0f rows/s  (%.2f x the plain loop)\n", what, seconds,
                static_cast<double>(count) / seconds, seconds / plain);
  };
  line("layer, as the import uses it", as_import);
  line("layer, by name with copies", by_name);

  // Through ODBC, where every row on its own is a transaction of the driver's: far fewer rows
  // are timed that way.
  const std::uint64_t array_rows = argc > 3 ? std::stoull(argv[3]) : 20'000;
  const std::uint64_t alone_rows = std::max<std::uint64_t>(1, array_rows / 20);
  double rows_per_second[2] = {};
  for (const std::size_t batch : {500, 1}) {
    auto connection = OpenOdbc(folder / "odbc.db", batch);
    if (!connection.ok()) {
      std::printf("ODBC not timed: %s\n", connection.status().ToString().c_str());
      break;
    }
    const std::uint64_t n = batch > 1 ? array_rows : alone_rows;
    const double seconds = SaveRows(*connection, rows, n, false, Clock::now());
    if (seconds < 0) {
      std::fprintf(stderr, "ODBC refused rows\n");
      return 1;
    }
    rows_per_second[batch > 1 ? 0 : 1] = static_cast<double>(n) / seconds;
  }
  if (rows_per_second[1] > 0) {
    std::printf("ODBC (SQLite driver), arrays of 500  %.0f rows/s (%llu rows)\n",
                rows_per_second[0], static_cast<unsigned long long>(array_rows));
    std::printf(
        "ODBC (SQLite driver), row by row     %.0f rows/s (%llu rows; arrays are %.1f x faster)\n",
        rows_per_second[1], static_cast<unsigned long long>(alone_rows),
        rows_per_second[0] / rows_per_second[1]);
  }
  fs::remove_all(folder);
  return 0;
}
