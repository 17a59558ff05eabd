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
#include "platform/sql/save_thread.h"
#include "platform/sql/sqlite/save_groups.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zuna::sql::sqlite {

// Makes the embedded engine's process-wide settings that cost nothing in safety, before any
// database is opened: its allocator keeps no statistics, which nothing here reads and which take
// a lock around every allocation of every row saved. False when the engine was already in use
// in this process; it then runs as it was, unchanged. Called as the program loads.
bool ConfigureEngine();

// A connection to the embedded engine. A server is a folder, and database X of it is the file
// X.db there; catalog "master" always opens (to an in-memory database) and is where CREATE
// DATABASE and DROP DATABASE are usually sent. The tool's SQL Server texts are answered
// unchanged: bracketed names, sys.Tables and information_schema.Columns; values are converted
// to the declared column types on insert, refused as SQL Server refuses them.
//
// The import's rows are saved in groups, one transaction each (SaveGroups). A group that cannot
// be committed (the file stays locked, the disk is full), or that the engine rolls back when a
// save fails, is lost whole: its rows, whose Insert had returned Ok, come back from
// TakeLateRefusals with the engine's error, and the next row starts a fresh group. A failure of
// the storage itself carries ErrorKind::kStorage.
//
// After StartBackgroundSaves, Insert converts its row on the caller's thread and a thread of the
// connection's own binds, steps and commits (SaveThread). Everything else the connection does
// first waits for that thread to finish the rows it was given.
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
  bool StartBackgroundSaves() override;
  std::uint64_t TakeSaveRefusals(std::vector<recordset::LateRefusal>& refusals, bool wait) override;

  // Whether the connection may serve the next recordset opened on `file` (KeptConnections): it
  // is open on that file, its background saves ended with every refusal taken, no group is
  // open or owes a rollback, no transaction is open, and the storage faults it was opened with
  // are still the ones in force. Ends the background thread (the next StartBackgroundSaves
  // starts a fresh one) and forgets the tables' columns, which the next recordset reads again.
  bool ReadyForReuse(const std::filesystem::path& file);

 private:
  struct DbCloser {
    void operator()(sqlite3* db) const;
  };
  using Db = std::unique_ptr<sqlite3, DbCloser>;
  using Stmt = std::unique_ptr<sqlite3_stmt, SqlitePlan::Finalizer>;

  SqliteConnection(std::filesystem::path server_folder, const SqliteOptions& options)
      : server_folder_(std::move(server_folder)), options_(options), groups_(options) {}

  Status OpenDatabase(const std::filesystem::path& file);
  // The text with the catalog names rewritten; makes the catalog views on first need.
  Result<std::string> Translate(std::string_view text);
  Status RunDatabaseCommand(std::string_view text, std::size_t& consumed);
  // `script` is read up to its terminating NUL, which SQLite is told of.
  Status ExecuteStatements(const std::string& script);
  // The plan for `table` and `assigned`: the last one used, or one found or made.
  SqlitePlan& PlanFor(std::string_view table, const std::vector<ColumnInfo>& columns,
                      const std::vector<int>& assigned);
  // Lets the rows given to the background thread be saved, so that the caller may use the
  // database again.
  void FinishBackgroundSaves();
  // Forgets the prepared inserts (after a statement that may change tables).
  void ForgetPlans();

  std::filesystem::path server_folder_;
  SqliteOptions options_;
  Db db_;
  std::filesystem::path database_file_;  // what db_ was opened on
  std::uint64_t faults_generation_ = 0;  // StorageFaultsGeneration() at that open
  std::unordered_map<std::string, std::vector<ColumnInfo>> table_columns_;
  bool views_ready_ = false;
  SaveGroups groups_;
  std::vector<std::unique_ptr<SqlitePlan>> plans_;
  SqlitePlan* last_plan_ = nullptr;
  RowBatch single_row_;                // a row saved at once, on the caller's thread
  std::unique_ptr<SaveThread> saves_;  // after StartBackgroundSaves
};

}  // namespace zuna::sql::sqlite
