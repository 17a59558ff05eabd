#include "platform/sql/sqlite/sqlite_connection.h"

#include <sqlite3.h>

#include <climits>
#include <system_error>
#include <utility>

#include "platform/sql/sql_errors.h"
#include "platform/sql/sqlite/database_files.h"
#include "platform/sql/sqlite/sql_server_dialect.h"
#include "platform/sql/sqlite/sqlite_cursor.h"
#include "platform/sql/sqlite/sqlite_errors.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "platform/text/ascii.h"

namespace zuna::sql::sqlite {

namespace fs = std::filesystem;

bool ConfigureEngine() { return sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK; }

namespace {
// Made as the program loads, before anything can open a database, in every program that opens
// one through this layer (both front ends, the tests and the benchmarks alike).
[[maybe_unused]] const bool kEngineConfigured = ConfigureEngine();
}  // namespace

void SqliteConnection::DbCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

Result<std::shared_ptr<SqliteConnection>> SqliteConnection::OpenCatalog(
    const fs::path& server_folder, std::string_view catalog, const SqliteOptions& options) {
  std::error_code ec;
  if (!fs::is_directory(server_folder, ec)) {
    return Status(ErrorKind::kNotFound, kErrServerNotFound,
                  "SQL Server does not exist or access denied (no server folder " +
                      server_folder.string() + ").");
  }
  std::shared_ptr<SqliteConnection> connection(new SqliteConnection(server_folder, options));
  if (IsMasterCatalog(catalog)) {
    RETURN_IF_ERROR(connection->OpenDatabase(":memory:"));
  } else {
    const fs::path file = DatabaseFile(server_folder, catalog);
    if (!fs::is_regular_file(file, ec)) {
      return Status(ErrorKind::kNotFound, kErrCannotOpenDatabase,
                    "Cannot open database \"" + std::string(catalog) +
                        "\" requested by the login. The login failed.");
    }
    RETURN_IF_ERROR(connection->OpenDatabase(file));
  }
  return connection;
}

Result<std::shared_ptr<SqliteConnection>> SqliteConnection::OpenFile(const fs::path& file,
                                                                     const SqliteOptions& options) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    return Status(ErrorKind::kNotFound, kErrCannotOpenDatabase,
                  "Cannot open database \"" + file.stem().string() +
                      "\" requested by the login. The login failed. (no file " + file.string() +
                      ")");
  }
  std::shared_ptr<SqliteConnection> connection(new SqliteConnection(file.parent_path(), options));
  RETURN_IF_ERROR(connection->OpenDatabase(file));
  return connection;
}

SqliteConnection::~SqliteConnection() {
  (void)Flush();
  // The statements go before the database they were prepared on.
  ForgetPlans();
}

Status SqliteConnection::OpenDatabase(const fs::path& file) {
  ForgetPlans();
  table_columns_.clear();
  groups_.set_database(nullptr);
  db_.reset();
  database_file_.clear();
  ASSIGN_OR_RETURN(const char* layer, StorageLayerName());
  faults_generation_ = StorageFaultsGeneration();
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, layer);
  Db db(raw);
  if (rc != SQLITE_OK) {
    return Status(
        ErrorKind::kDatabase, rc,
        std::string(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)) + " (" + file.string() + ")");
  }
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), static_cast<int>(options_.busy_timeout.count()));
  db_ = std::move(db);
  database_file_ = file;
  groups_.set_database(db_.get());
  // SQLite's own rollback journal: a committed group survives a crash of the program, and a bulk
  // insert into new pages costs no second write, as a write-ahead log would. NORMAL syncs at
  // commits. The catalog views are made when a text first names them.
  views_ready_ = false;
  const std::string setup = "PRAGMA synchronous=NORMAL; PRAGMA cache_size=-65536;";
  char* error = nullptr;
  if (sqlite3_exec(db_.get(), setup.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    Status st(ErrorKind::kDatabase, sqlite3_extended_errcode(db_.get()),
              error ? error : "cannot prepare the database");
    sqlite3_free(error);
    return st;
  }
  return Status::Ok();
}

Status SqliteConnection::RunDatabaseCommand(std::string_view text, std::size_t& consumed) {
  consumed = 0;
  auto command = ParseDatabaseCommand(text);
  if (!command) return Status::Ok();
  consumed = command->length;
  switch (command->kind) {
    case DatabaseCommand::Kind::kCreate:
      return CreateDatabase(server_folder_, command->database);
    case DatabaseCommand::Kind::kDrop:
      return DropDatabase(server_folder_, command->database);
    case DatabaseCommand::Kind::kUse: {
      RETURN_IF_ERROR(Flush());
      if (IsMasterCatalog(command->database)) return OpenDatabase(":memory:");
      const fs::path file = DatabaseFile(server_folder_, command->database);
      std::error_code ec;
      if (!fs::is_regular_file(file, ec)) {
        return Status(ErrorKind::kNotFound, kErrCannotOpenDatabase,
                      "Database '" + command->database +
                          "' does not exist. Make sure that the name is entered correctly.");
      }
      return OpenDatabase(file);
    }
  }
  return Status::Ok();
}

Status SqliteConnection::ExecuteStatements(const std::string& script) {
  // Read through a view: a substring of the string itself would copy the rest of the text.
  const std::string_view text = script;
  std::size_t pos = 0;
  while (pos < text.size()) {
    pos += SkipBlanksAndComments(text.substr(pos));
    if (pos >= text.size()) break;
    std::size_t consumed = 0;
    RETURN_IF_ERROR(RunDatabaseCommand(text.substr(pos), consumed));
    if (consumed > 0) {
      pos += consumed;
      continue;
    }
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const char* start = text.data() + pos;
    // The length counts the string's terminating NUL: without it SQLite copies the rest of the
    // text for every statement, and a long script takes time in the square of its size.
    const std::size_t rest = text.size() - pos + 1;
    if (rest > static_cast<std::size_t>(INT_MAX)) {
      return Status(ErrorKind::kInvalidArgument, SQLITE_TOOBIG,
                    "the script text is longer than SQLite reads (2 GiB)");
    }
    const int rc = sqlite3_prepare_v2(db_.get(), start, static_cast<int>(rest), &raw, &tail);
    Stmt stmt(raw);
    if (rc != SQLITE_OK) return EngineError(db_.get(), rc);
    if (tail == start) {
      // SQLite reads no further than a NUL byte: such a text is no script, and stepping on the
      // spot would never end.
      return Status(ErrorKind::kInvalidArgument, SQLITE_ERROR,
                    "the statement text holds a NUL byte at position " + std::to_string(pos) +
                        "; it is not a script");
    }
    pos += static_cast<std::size_t>(tail - start);
    if (!stmt) continue;
    int step;
    while ((step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (step != SQLITE_DONE) return EngineError(db_.get(), step);
  }
  return Status::Ok();
}

Result<std::string> SqliteConnection::Translate(std::string_view text) {
  bool needs_views = false;
  std::string translated = TranslateCatalogNames(text, &needs_views);
  if (needs_views && !views_ready_) {
    char* error = nullptr;
    if (sqlite3_exec(db_.get(), CatalogViewsSql().c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      Status st(ErrorKind::kDatabase, sqlite3_extended_errcode(db_.get()),
                error ? error : "cannot make the catalog views");
      sqlite3_free(error);
      return st;
    }
    views_ready_ = true;
  }
  return translated;
}

Status SqliteConnection::Execute(std::string_view text) {
  RETURN_IF_ERROR(Flush());
  table_columns_.clear();  // the statements may change tables
  ForgetPlans();
  ASSIGN_OR_RETURN(const std::string translated, Translate(text));
  return ExecuteStatements(translated);
}

Result<std::unique_ptr<Cursor>> SqliteConnection::Query(std::string_view text) {
  RETURN_IF_ERROR(Flush());
  ASSIGN_OR_RETURN(const std::string translated, Translate(text));
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db_.get(), translated.c_str(),
                                    static_cast<int>(translated.size()), &raw, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(raw);
    return EngineError(db_.get(), rc);
  }
  if (raw == nullptr) {
    return Status(ErrorKind::kInvalidArgument, SQLITE_MISUSE, "the query text is empty");
  }
  return std::unique_ptr<Cursor>(std::make_unique<SqliteCursor>(raw, db_.get()));
}

Result<std::vector<ColumnInfo>> SqliteConnection::TableColumns(std::string_view table) {
  const std::string key = text::LowerAscii(table);
  if (auto it = table_columns_.find(key); it != table_columns_.end()) return it->second;
  FinishBackgroundSaves();
  sqlite3_stmt* raw = nullptr;
  const char* sql = "SELECT name, type FROM pragma_table_info(?1)";
  if (sqlite3_prepare_v2(db_.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    return EngineError(db_.get(), SQLITE_ERROR);
  }
  Stmt stmt(raw);
  sqlite3_bind_text(stmt.get(), 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
  std::vector<ColumnInfo> columns;
  int step;
  while ((step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    ColumnInfo column;
    column.name = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    const unsigned char* type = sqlite3_column_text(stmt.get(), 1);
    column.declared_type = type ? reinterpret_cast<const char*>(type) : "";
    column.type = ParseColumnType(column.declared_type);
    columns.push_back(std::move(column));
  }
  // A file that cannot be read is no missing table.
  if (step != SQLITE_DONE) return EngineError(db_.get(), step, table);
  if (columns.empty()) return InvalidObjectName(table);
  table_columns_[key] = columns;
  return columns;
}

SqlitePlan& SqliteConnection::PlanFor(std::string_view table,
                                      const std::vector<ColumnInfo>& columns,
                                      const std::vector<int>& assigned) {
  // An import saves row after row into one table with the same columns: the last plan first.
  const auto matches = [&](const SqlitePlan& plan) {
    return plan.table == table && plan.assigned == assigned;
  };
  if (last_plan_ != nullptr && matches(*last_plan_)) return *last_plan_;
  for (const std::unique_ptr<SqlitePlan>& plan : plans_) {
    if (matches(*plan)) return *(last_plan_ = plan.get());
  }
  auto plan = std::make_unique<SqlitePlan>();
  plan->table = table;
  plan->assigned = assigned;
  for (const int index : assigned) {
    const ColumnInfo& column = columns[static_cast<std::size_t>(index)];
    plan->types.push_back(column.type);
    plan->names.push_back(column.name);
  }
  plans_.push_back(std::move(plan));
  return *(last_plan_ = plans_.back().get());
}

void SqliteConnection::ForgetPlans() {
  FinishBackgroundSaves();
  last_plan_ = nullptr;
  plans_.clear();
}

Status SqliteConnection::Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                                const std::vector<int>& assigned,
                                const std::vector<const Value*>& values, std::uint64_t tag) {
  SqlitePlan& plan = PlanFor(table, columns, assigned);
  if (saves_) {
    RowBatch& batch = saves_->filling();
    batch.BeginRow(tag, plan);
    batch.AppendRow(values);
    saves_->RowDone();
    return Status::Ok();
  }
  single_row_.Clear();
  single_row_.BeginRow(tag, plan);
  if (!single_row_.AppendRow(values)) return single_row_.refusal(single_row_.row(0));
  return groups_.SaveRow(single_row_, 0);
}

bool SqliteConnection::StartBackgroundSaves() {
  if (!options_.background_saves || !db_) return false;
  if (!saves_) saves_ = std::make_unique<SaveThread>(groups_, options_.rows_per_commit);
  return true;
}

std::uint64_t SqliteConnection::TakeSaveRefusals(std::vector<recordset::LateRefusal>& refusals,
                                                 bool wait) {
  return saves_ ? saves_->TakeRefusals(refusals, wait) : 0;
}

void SqliteConnection::FinishBackgroundSaves() {
  if (saves_) saves_->Drain();
}

Status SqliteConnection::Flush() {
  FinishBackgroundSaves();
  return groups_.Flush();
}

bool SqliteConnection::ReadyForReuse(const fs::path& file) {
  if (!db_ || database_file_ != file) return false;
  if (saves_) {
    saves_->Drain();
    if (!saves_->Settled()) return false;
    saves_.reset();
  }
  table_columns_.clear();
  return groups_.Settled() && sqlite3_get_autocommit(db_.get()) != 0 &&
         faults_generation_ == StorageFaultsGeneration();
}

std::vector<recordset::LateRefusal> SqliteConnection::TakeLateRefusals() {
  FinishBackgroundSaves();
  return groups_.TakeLateRefusals();
}

}  // namespace zuna::sql::sqlite
