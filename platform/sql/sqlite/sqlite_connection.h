#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sql/connection.h"
#include "platform/sql/insert_cache.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zuna::sql::sqlite {

// How the embedded engine groups the import's row saves into transactions. A group is committed
// after `rows_per_commit` rows or `max_commit_delay`, whichever comes first, and whenever the
// table is closed or another statement runs: a crash loses at most that many rows or seconds.
// A COMMIT that finds the file held by a reader waits `busy_timeout` for it, `commit_attempts`
// times, before the group is given up.
struct SqliteOptions {
  std::size_t rows_per_commit = 10'000;
  std::chrono::milliseconds max_commit_delay{1000};
  std::chrono::milliseconds busy_timeout{5000};
  int commit_attempts = 6;
};

// A connection to the embedded engine. A server is a folder, and database X of it is the file
// X.db there; catalog "master" always opens (to an in-memory database) and is where CREATE
// DATABASE and DROP DATABASE are usually sent. The tool's SQL Server texts are answered
// unchanged: bracketed names, sys.Tables and information_schema.Columns; values are converted
// to the declared column types on insert, refused as SQL Server refuses them.
//
// The import's rows are saved in groups, one transaction each. A group that cannot be committed
// (the file stays locked, the disk is full), or that the engine rolls back when a save fails, is
// lost whole: its rows, whose Insert had returned Ok, come back from TakeLateRefusals with the
// engine's error, and the next row starts a fresh group. A failure of the storage itself carries
// ErrorKind::kStorage.
class SqliteConnection final : public Connection {
 public:
  // Opens catalog `catalog` of the server in `server_folder`. A missing folder fails like an
  // unreachable server, a missing database file like SQL Server's "Cannot open database".
  static Result<std::shared_ptr<SqliteConnection>> OpenCatalog(
      const std::filesystem::path& server_folder, std::string_view catalog,
      const SqliteOptions& options = {});

  // Opens a database file directly; it must exist.
  static Result<std::shared_ptr<SqliteConnection>> OpenFile(const std::filesystem::path& file,
                                                            const SqliteOptions& options = {});

  ~SqliteConnection() override;

  Status Execute(std::string_view text) override;
  Result<std::unique_ptr<Cursor>> Query(std::string_view text) override;
  Result<std::vector<ColumnInfo>> TableColumns(std::string_view table) override;
  Status Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                const std::vector<int>& assigned, const std::vector<const Value*>& values,
                std::uint64_t tag) override;
  Status Flush() override;
  std::vector<recordset::LateRefusal> TakeLateRefusals() override;

 private:
  struct DbCloser {
    void operator()(sqlite3* db) const;
  };
  struct StmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const;
  };
  using Db = std::unique_ptr<sqlite3, DbCloser>;
  using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

  SqliteConnection(std::filesystem::path server_folder, const SqliteOptions& options)
      : server_folder_(std::move(server_folder)), options_(options) {}

  Status OpenDatabase(const std::filesystem::path& file);
  // The text with the catalog names rewritten; makes the catalog views on first need.
  Result<std::string> Translate(std::string_view text);
  Status RunDatabaseCommand(std::string_view text, std::size_t& consumed);
  // `script` is read up to its terminating NUL, which SQLite is told of.
  Status ExecuteStatements(const std::string& script);
  Result<sqlite3_stmt*> InsertStatement(std::string_view table,
                                        const std::vector<ColumnInfo>& columns,
                                        const std::vector<int>& assigned);
  Status BeginGroupIfNeeded();
  // COMMIT, tried again while the file is locked.
  Status Commit();
  // Ends a group that can no longer be committed: rolls back what the engine left open and
  // lists the group's rows as refused with `cause`.
  void LoseGroup(const Status& cause);

  std::filesystem::path server_folder_;
  SqliteOptions options_;
  Db db_;
  InsertCache<Stmt> inserts_;
  std::unordered_map<std::string, std::vector<ColumnInfo>> table_columns_;
  std::vector<Value> converted_;
  std::vector<const Value*> bound_;
  bool views_ready_ = false;
  bool in_group_ = false;
  bool rollback_pending_ = false;  // a lost group's ROLLBACK failed: retried before the next
  std::size_t rows_in_group_ = 0;
  std::vector<std::uint64_t> group_tags_;  // the rows saved in the open group
  std::vector<recordset::LateRefusal> late_;
  std::chrono::steady_clock::time_point group_started_;
};

}  // namespace zuna::sql::sqlite
