#include "platform/sql/sqlite/sqlite_connection.h"

#include <sqlite3.h>

#include <climits>
#include <system_error>
#include <utility>

#include "platform/recordset/quoted_name.h"
#include "platform/sql/date_text.h"
#include "platform/sql/sql_errors.h"
#include "platform/sql/sqlite/sql_server_dialect.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "platform/sql/statement.h"
#include "platform/text/ascii.h"

namespace zuna::sql::sqlite {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMasterCatalog = "master";
constexpr std::size_t kClockCheckEvery = 256;
// Written when a database is created: 16 KiB pages hold a wide payroll row with room to spare
// and cut the page writes of a bulk import, and the application id ("ZUNA") marks the file as
// one of this tool's and makes it a real, non-empty database at once.
constexpr const char* kNewDatabasePragmas =
    "PRAGMA page_size = 16384; PRAGMA application_id = 0x5A554E41;";

// Failures of the file under the database: every further write would fail the same way.
bool IsStorageFailure(int code) {
  switch (code & 0xff) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
      return true;
    default:
      return false;
  }
}

// The table and column of "NOT NULL constraint failed: t.c".
std::pair<std::string, std::string> ConstraintTarget(std::string_view message) {
  const std::size_t colon = message.rfind(": ");
  if (colon == std::string_view::npos) return {};
  std::string_view target = message.substr(colon + 2);
  const std::size_t comma = target.find(',');
  if (comma != std::string_view::npos) target = target.substr(0, comma);
  const std::size_t dot = target.find('.');
  if (dot == std::string_view::npos) return {std::string(target), ""};
  return {std::string(target.substr(0, dot)), std::string(target.substr(dot + 1))};
}

// A row of a query, its values typed by the columns' declared types: a date column delivers
// dates, not text.
class SqliteCursor final : public Cursor {
 public:
  SqliteCursor(sqlite3_stmt* stmt, sqlite3* db) : stmt_(stmt), db_(db) {
    const int count = sqlite3_column_count(stmt_);
    for (int i = 0; i < count; ++i) {
      ColumnInfo column;
      column.name = sqlite3_column_name(stmt_, i);
      const char* declared = sqlite3_column_decltype(stmt_, i);
      column.declared_type = declared ? declared : "";
      column.type = ParseColumnType(column.declared_type);
      columns_.push_back(std::move(column));
    }
  }
  ~SqliteCursor() override { sqlite3_finalize(stmt_); }

  const std::vector<ColumnInfo>& columns() const override { return columns_; }

  Result<bool> Next(std::vector<Value>& row) override {
    if (done_) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE) {
      done_ = true;
      return false;
    }
    if (rc != SQLITE_ROW) {
      done_ = true;
      return Status(ErrorKind::kDatabase, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
    }
    row.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) Read(static_cast<int>(i), row[i]);
    return true;
  }

 private:
  void Read(int i, Value& out) const {
    switch (sqlite3_column_type(stmt_, i)) {
      case SQLITE_NULL:
        out.SetNull();
        return;
      case SQLITE_INTEGER:
        out.SetInteger(sqlite3_column_int64(stmt_, i));
        return;
      case SQLITE_FLOAT:
        out.SetDouble(sqlite3_column_double(stmt_, i));
        return;
      case SQLITE_BLOB:
        out.SetBinary(std::string_view(static_cast<const char*>(sqlite3_column_blob(stmt_, i)),
                                       static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))));
        return;
      default:
        break;
    }
    const std::string_view text(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i)),
                                static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)));
    const ColumnType::Kind kind = columns_[static_cast<std::size_t>(i)].type.kind;
    CivilDate date;
    CivilTime time;
    if ((kind == ColumnType::Kind::kDate || kind == ColumnType::Kind::kDateTime) &&
        ParseDateText(text, date, time)) {
      if (kind == ColumnType::Kind::kDate) {
        out.SetDate(date);
      } else {
        out.SetDateTime(date, time);
      }
      return;
    }
    out.SetText(text);
  }

  sqlite3_stmt* stmt_;
  sqlite3* db_;
  std::vector<ColumnInfo> columns_;
  bool done_ = false;
};

// Creates the file of a new database and writes its first page.
Status CreateDatabaseFile(const fs::path& file, const char* layer) {
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, layer);
  Status made;
  if (rc != SQLITE_OK) {
    made = Status(
        IsStorageFailure(rc) ? ErrorKind::kStorage : ErrorKind::kDatabase, rc,
        std::string(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)) + " (" + file.string() + ")");
  } else if (sqlite3_exec(raw, kNewDatabasePragmas, nullptr, nullptr, nullptr) != SQLITE_OK) {
    const int code = sqlite3_extended_errcode(raw);
    made = Status(IsStorageFailure(code) ? ErrorKind::kStorage : ErrorKind::kDatabase, code,
                  std::string(sqlite3_errmsg(raw)) + " (" + file.string() + ")");
  }
  if (const int closed = sqlite3_close(raw); closed != SQLITE_OK && made.ok()) {
    made = Status(ErrorKind::kDatabase, closed, "cannot close " + file.string());
  }
  return made;
}

}  // namespace

void SqliteConnection::DbCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }
void SqliteConnection::StmtFinalizer::operator()(sqlite3_stmt* stmt) const {
  sqlite3_finalize(stmt);
}

fs::path DatabaseFile(const fs::path& server_folder, std::string_view catalog) {
  return server_folder / (std::string(catalog) + ".db");
}

Result<std::shared_ptr<SqliteConnection>> SqliteConnection::OpenCatalog(
    const fs::path& server_folder, std::string_view catalog, const SqliteOptions& options) {
  std::error_code ec;
  if (!fs::is_directory(server_folder, ec)) {
    return Status(ErrorKind::kNotFound, kErrServerNotFound,
                  "SQL Server does not exist or access denied (no server folder " +
                      server_folder.string() + ").");
  }
  std::shared_ptr<SqliteConnection> connection(new SqliteConnection(server_folder, options));
  if (text::LowerAscii(catalog) == kMasterCatalog) {
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

SqliteConnection::~SqliteConnection() { (void)Flush(); }

Status SqliteConnection::OpenDatabase(const fs::path& file) {
  inserts_.Clear();
  table_columns_.clear();
  db_.reset();
  ASSIGN_OR_RETURN(const char* layer, StorageLayerName());
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

Status SqliteConnection::ErrorStatus(int rc, std::string_view table) const {
  const std::string message = sqlite3_errmsg(db_.get());
  const int extended = sqlite3_extended_errcode(db_.get());
  if (extended == SQLITE_CONSTRAINT_NOTNULL) {
    auto [t, column] = ConstraintTarget(message);
    return Refused(kErrNullNotAllowed, "Cannot insert the value NULL into column '" + column +
                                           "', table '" + (table.empty() ? t : std::string(table)) +
                                           "'; column does not allow nulls. INSERT fails.");
  }
  if (extended == SQLITE_CONSTRAINT_PRIMARYKEY) {
    return Refused(kErrPrimaryKey,
                   "Violation of PRIMARY KEY constraint. Cannot insert duplicate "
                   "key in object '" +
                       std::string(table) + "'. (" + message + ")");
  }
  if (extended == SQLITE_CONSTRAINT_UNIQUE) {
    return Refused(kErrUniqueIndex, "Cannot insert duplicate key row in object '" +
                                        std::string(table) + "' with unique index. (" + message +
                                        ")");
  }
  if (message.starts_with("no such table: ")) return InvalidObjectName(message.substr(15));
  if (message.starts_with("no such column: ")) return InvalidColumnName(message.substr(16));
  const int code = extended ? extended : rc;
  return Status(IsStorageFailure(code) ? ErrorKind::kStorage : ErrorKind::kDatabase, code, message);
}

Status SqliteConnection::RunDatabaseCommand(std::string_view text, std::size_t& consumed) {
  consumed = 0;
  auto command = ParseDatabaseCommand(text);
  if (!command) return Status::Ok();
  consumed = command->length;
  const fs::path file = DatabaseFile(server_folder_, command->database);
  std::error_code ec;
  switch (command->kind) {
    case DatabaseCommand::Kind::kCreate: {
      if (text::LowerAscii(command->database) == kMasterCatalog || fs::exists(file, ec)) {
        return Status(ErrorKind::kDatabase, kErrDatabaseExists,
                      "Database '" + command->database +
                          "' already exists. Choose a different database name.");
      }
      ASSIGN_OR_RETURN(const char* layer, StorageLayerName());
      Status made = CreateDatabaseFile(file, layer);
      if (!made.ok()) {
        // A database that was not created leaves no file behind: an empty one would stand in
        // the way of the next CREATE DATABASE ("already exists") and open as an empty database.
        fs::remove(file, ec);
        fs::remove(file.string() + "-journal", ec);
      }
      return made;
    }
    case DatabaseCommand::Kind::kDrop: {
      if (text::LowerAscii(command->database) == kMasterCatalog || !fs::exists(file, ec)) {
        return Status(ErrorKind::kDatabase, kErrCannotDropDatabase,
                      "Cannot drop the database '" + command->database +
                          "', because it does not exist or you do not have permission.");
      }
      fs::remove(file, ec);
      if (ec) return Status(ErrorKind::kIoError, ec.value(), file.string() + ": " + ec.message());
      fs::remove(file.string() + "-wal", ec);
      fs::remove(file.string() + "-shm", ec);
      return Status::Ok();
    }
    case DatabaseCommand::Kind::kUse: {
      RETURN_IF_ERROR(Flush());
      if (text::LowerAscii(command->database) == kMasterCatalog) return OpenDatabase(":memory:");
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
    if (rc != SQLITE_OK) return ErrorStatus(rc);
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
    if (step != SQLITE_DONE) return ErrorStatus(step);
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
  inserts_.Clear();
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
    return ErrorStatus(rc);
  }
  if (raw == nullptr) {
    return Status(ErrorKind::kInvalidArgument, SQLITE_MISUSE, "the query text is empty");
  }
  return std::unique_ptr<Cursor>(std::make_unique<SqliteCursor>(raw, db_.get()));
}

Result<std::vector<ColumnInfo>> SqliteConnection::TableColumns(std::string_view table) {
  const std::string key = text::LowerAscii(table);
  if (auto it = table_columns_.find(key); it != table_columns_.end()) return it->second;
  sqlite3_stmt* raw = nullptr;
  const char* sql = "SELECT name, type FROM pragma_table_info(?1)";
  if (sqlite3_prepare_v2(db_.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    return ErrorStatus(SQLITE_ERROR);
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
  if (step != SQLITE_DONE) return ErrorStatus(step, table);
  if (columns.empty()) return InvalidObjectName(table);
  table_columns_[key] = columns;
  return columns;
}

Result<sqlite3_stmt*> SqliteConnection::InsertStatement(std::string_view table,
                                                        const std::vector<ColumnInfo>& columns,
                                                        const std::vector<int>& assigned) {
  if (sqlite3_stmt* cached = inserts_.Find(table, assigned)) return cached;
  std::vector<std::string_view> names;
  for (const int index : assigned) names.push_back(columns[static_cast<std::size_t>(index)].name);
  const std::string sql = InsertText(table, names, recordset::DoubleQuoteName);
  sqlite3_stmt* raw = nullptr;
  const int rc =
      sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(raw);
    return ErrorStatus(rc, table);
  }
  return inserts_.Add(table, assigned, Stmt(raw));
}

Status SqliteConnection::BeginGroupIfNeeded() {
  if (in_group_) return Status::Ok();
  if (rollback_pending_) {
    if (const int rc = sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        rc != SQLITE_OK && !sqlite3_get_autocommit(db_.get())) {
      return ErrorStatus(rc);
    }
    rollback_pending_ = false;
  }
  if (const int rc = sqlite3_exec(db_.get(), "BEGIN", nullptr, nullptr, nullptr); rc != SQLITE_OK) {
    return ErrorStatus(rc);
  }
  in_group_ = true;
  rows_in_group_ = 0;
  group_tags_.clear();
  group_started_ = std::chrono::steady_clock::now();
  return Status::Ok();
}

Status SqliteConnection::Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                                const std::vector<int>& assigned,
                                const std::vector<const Value*>& values, std::uint64_t tag) {
  converted_.resize(assigned.size());
  bound_.resize(assigned.size());
  for (std::size_t i = 0; i < assigned.size(); ++i) {
    const auto index = static_cast<std::size_t>(assigned[i]);
    const Value& value = *values[index];
    if (StoresUnchanged(value, columns[index].type)) {
      bound_[i] = &value;
      continue;
    }
    RETURN_IF_ERROR(
        ConvertForColumn(value, columns[index].type, columns[index].name, converted_[i]));
    bound_[i] = &converted_[i];
  }
  ASSIGN_OR_RETURN(sqlite3_stmt * stmt, InsertStatement(table, columns, assigned));
  RETURN_IF_ERROR(BeginGroupIfNeeded());
  for (std::size_t i = 0; i < bound_.size(); ++i) {
    const Value& v = *bound_[i];
    const int slot = static_cast<int>(i + 1);
    switch (v.kind()) {
      case ValueKind::kNull:
        sqlite3_bind_null(stmt, slot);
        break;
      case ValueKind::kText:
        sqlite3_bind_text(stmt, slot, v.text().data(), static_cast<int>(v.text().size()),
                          SQLITE_STATIC);
        break;
      case ValueKind::kBinary:
        sqlite3_bind_blob(stmt, slot, v.text().data(), static_cast<int>(v.text().size()),
                          SQLITE_STATIC);
        break;
      case ValueKind::kInteger:
      case ValueKind::kBoolean:
        sqlite3_bind_int64(stmt, slot, v.integer());
        break;
      case ValueKind::kDouble:
      case ValueKind::kDecimal:
        sqlite3_bind_double(stmt, slot, v.AsDouble());
        break;
      case ValueKind::kDate:
      case ValueKind::kDateTime: {
        const std::string text = v.kind() == ValueKind::kDate
                                     ? FormatStoredDate(v.date())
                                     : FormatStoredDateTime(v.date(), v.time());
        sqlite3_bind_text(stmt, slot, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
      }
    }
  }
  const int rc = sqlite3_step(stmt);
  Status result = rc == SQLITE_DONE ? Status::Ok() : ErrorStatus(rc, table);
  sqlite3_reset(stmt);
  if (result.ok()) {
    group_tags_.push_back(tag);
  } else if (sqlite3_get_autocommit(db_.get())) {
    // The engine rolled the whole transaction back (a full disk, an I/O error), not only this
    // statement: the rows saved before it in the group are gone too.
    LoseGroup(result);
    return result;
  }

  ++rows_in_group_;
  if (rows_in_group_ >= options_.rows_per_commit ||
      (rows_in_group_ % kClockCheckEvery == 0 &&
       std::chrono::steady_clock::now() - group_started_ >= options_.max_commit_delay)) {
    if (Status committed = Flush(); !committed.ok() && result.ok()) {
      // This row went down with its group: it is refused here, the others late.
      if (!late_.empty() && late_.back().tag == tag) late_.pop_back();
      result = committed;
    }
  }
  return result;
}

Status SqliteConnection::Commit() {
  for (int attempt = 1;; ++attempt) {
    const int rc = sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return Status::Ok();
    // A reader holding the file keeps the transaction open and lets the COMMIT be tried again;
    // anything else is final.
    const bool locked = (sqlite3_extended_errcode(db_.get()) & 0xff) == SQLITE_BUSY;
    if (!locked || attempt >= options_.commit_attempts || sqlite3_get_autocommit(db_.get())) {
      return ErrorStatus(rc);
    }
  }
}

void SqliteConnection::LoseGroup(const Status& cause) {
  in_group_ = false;
  if (!sqlite3_get_autocommit(db_.get()) &&
      sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK &&
      !sqlite3_get_autocommit(db_.get())) {
    rollback_pending_ = true;
  }
  const Status lost = cause.WithContext("its group of saves was rolled back");
  for (const std::uint64_t tag : group_tags_) late_.push_back({tag, lost});
  group_tags_.clear();
}

Status SqliteConnection::Flush() {
  if (!in_group_ || !db_) return Status::Ok();
  Status committed = Commit();
  if (!committed.ok()) {
    LoseGroup(committed);
    return committed;
  }
  in_group_ = false;
  group_tags_.clear();
  return Status::Ok();
}

std::vector<recordset::LateRefusal> SqliteConnection::TakeLateRefusals() {
  return std::exchange(late_, {});
}

}  // namespace zuna::sql::sqlite
