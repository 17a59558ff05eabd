#include "platform/sql/odbc/odbc_connection.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/recordset/quoted_name.h"
#include "platform/sql/date_text.h"
#include "platform/sql/odbc/array_report.h"
#include "platform/sql/odbc/parameter_batch.h"
#include "platform/sql/statement.h"
#include "platform/text/ascii.h"

namespace zuna::sql::odbc {
namespace {

struct HandleFree {
  SQLSMALLINT type;
  void operator()(SQLHANDLE handle) const {
    if (handle != SQL_NULL_HANDLE) SQLFreeHandle(type, handle);
  }
};
using Handle = std::unique_ptr<void, HandleFree>;

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The first diagnostic record of a handle: native error, SQLSTATE and message.
Status Diagnose(SQLSMALLINT type, SQLHANDLE handle, std::string_view action) {
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
  SQLSMALLINT length = 0;
  std::string text;
  if (handle != SQL_NULL_HANDLE &&
      Succeeded(SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length))) {
    text = "[" + std::string(reinterpret_cast<char*>(state)) + "] " +
           std::string(reinterpret_cast<char*>(message));
  } else {
    text = "the ODBC driver manager reported a failure without a diagnostic";
  }
  Status st(ErrorKind::kDatabase, native, std::move(text));
  return st.WithContext(action);
}

Handle NewStatement(SQLHDBC dbc) {
  SQLHANDLE stmt = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)))
    return Handle(nullptr, {SQL_HANDLE_STMT});
  return Handle(stmt, {SQL_HANDLE_STMT});
}

ColumnInfo DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT index) {
  SQLCHAR name[256] = {};
  SQLSMALLINT name_length = 0, sql_type = 0, digits = 0, nullable = 0;
  SQLULEN size = 0;
  SQLDescribeCol(stmt, index, name, sizeof name, &name_length, &sql_type, &size, &digits,
                 &nullable);
  ColumnInfo column;
  column.name = reinterpret_cast<char*>(name);
  switch (sql_type) {
    case SQL_CHAR:
    case SQL_WCHAR:
      column.declared_type = "char(" + std::to_string(size) + ")";
      break;
    case SQL_VARCHAR:
    case SQL_WVARCHAR:
      column.declared_type = "varchar(" + std::to_string(size) + ")";
      break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
      column.declared_type = "text";
      break;
    case SQL_TINYINT:
      column.declared_type = "tinyint";
      break;
    case SQL_SMALLINT:
      column.declared_type = "smallint";
      break;
    case SQL_INTEGER:
      column.declared_type = "int";
      break;
    case SQL_BIGINT:
      column.declared_type = "bigint";
      break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      column.declared_type = "decimal(" + std::to_string(size) + "," + std::to_string(digits) + ")";
      break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      column.declared_type = "float";
      break;
    case SQL_BIT:
      column.declared_type = "bit";
      break;
    case SQL_TYPE_DATE:
    case SQL_DATE:
      column.declared_type = "date";
      break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      column.declared_type = "datetime";
      break;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      column.declared_type = "varbinary";
      break;
    default:
      column.declared_type = "";
      break;
  }
  column.type = ParseColumnType(column.declared_type);
  return column;
}

// Reads every column as text (binary as bytes) and types it by the column's SQL type.
class OdbcCursor final : public Cursor {
 public:
  OdbcCursor(Handle stmt, std::vector<ColumnInfo> columns)
      : stmt_(std::move(stmt)), columns_(std::move(columns)) {}

  const std::vector<ColumnInfo>& columns() const override { return columns_; }

  Result<bool> Next(std::vector<Value>& row) override {
    if (done_) return false;
    const SQLRETURN rc = SQLFetch(stmt_.get());
    if (rc == SQL_NO_DATA) {
      done_ = true;
      return false;
    }
    if (!Succeeded(rc)) {
      done_ = true;
      return Diagnose(SQL_HANDLE_STMT, stmt_.get(), "fetch");
    }
    row.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      RETURN_IF_ERROR(Read(static_cast<SQLUSMALLINT>(i + 1), columns_[i], row[i]));
    }
    return true;
  }

 private:
  Status Read(SQLUSMALLINT index, const ColumnInfo& column, Value& out) {
    const bool binary = column.declared_type == "varbinary";
    const SQLSMALLINT c_type = binary ? SQL_C_BINARY : SQL_C_CHAR;
    buffer_.clear();
    char chunk[4096];
    for (;;) {
      SQLLEN indicator = 0;
      const SQLRETURN rc = SQLGetData(stmt_.get(), index, c_type, chunk, sizeof chunk, &indicator);
      if (rc == SQL_NO_DATA) break;
      if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, stmt_.get(), "read " + column.name);
      if (indicator == SQL_NULL_DATA) {
        out.SetNull();
        return Status::Ok();
      }
      // Character data ends in a terminator that takes one byte of the chunk.
      const std::size_t room = binary ? sizeof chunk : sizeof chunk - 1;
      const std::size_t got =
          indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) > room
              ? room
              : static_cast<std::size_t>(indicator);
      buffer_.append(chunk, got);
      if (rc == SQL_SUCCESS) break;
    }
    if (binary) {
      out.SetBinary(buffer_);
      return Status::Ok();
    }
    CivilDate date;
    CivilTime time;
    switch (column.type.kind) {
      case ColumnType::Kind::kInteger:
      case ColumnType::Kind::kDecimal:
      case ColumnType::Kind::kFloat:
        if (!ParseNumberText(buffer_, out)) out.SetText(buffer_);
        return Status::Ok();
      case ColumnType::Kind::kBit:
        out.SetBoolean(buffer_ == "1");
        return Status::Ok();
      case ColumnType::Kind::kDate:
      case ColumnType::Kind::kDateTime:
        if (ParseDateText(buffer_, date, time)) {
          if (column.type.kind == ColumnType::Kind::kDate) {
            out.SetDate(date);
          } else {
            out.SetDateTime(date, time);
          }
          return Status::Ok();
        }
        break;
      default:
        break;
    }
    out.SetText(buffer_);
    return Status::Ok();
  }

  Handle stmt_;
  std::vector<ColumnInfo> columns_;
  std::string buffer_;
  bool done_ = false;
};

// What a session needs before values reach the server, by the server's name as its driver
// reports it. MariaDB and MySQL outside their strict mode store a value they cannot take changed
// (a text date they cannot read as 0000-00-00, a text cut to its column, a number clipped to its
// type) while their driver reports plain success: the session is made strict, keeping the rest
// of the server's mode. PostgreSQL reads a text date month first unless told otherwise; the
// embedded engine reads it day first.
struct SessionSetting {
  std::string_view dbms;
  std::string_view statement;
};
constexpr std::string_view kStrictMode =
    "SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, "
    "',STRICT_ALL_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,ERROR_FOR_DIVISION_BY_ZERO')";
constexpr SessionSetting kSessionSettings[] = {
    {"mariadb", kStrictMode},
    {"mysql", kStrictMode},
    {"postgresql", "SET DateStyle = 'ISO, DMY'"},
};

Status PrepareSession(SQLHDBC dbc) {
  SQLCHAR name[128] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length))) return Status::Ok();
  const std::string dbms = text::LowerAscii(reinterpret_cast<char*>(name));
  for (const SessionSetting& setting : kSessionSettings) {
    if (dbms != setting.dbms) continue;
    Handle stmt = NewStatement(dbc);
    if (!stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "prepare the session");
    std::string sql(setting.statement);
    if (!Succeeded(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                 static_cast<SQLINTEGER>(sql.size())))) {
      return Diagnose(SQL_HANDLE_STMT, stmt.get(), "prepare the session: " + sql);
    }
  }
  return Status::Ok();
}

}  // namespace

struct OdbcConnection::Handles {
  Handle env{nullptr, {SQL_HANDLE_ENV}};
  Handle dbc{nullptr, {SQL_HANDLE_DBC}};
  ~Handles() {
    if (dbc) SQLDisconnect(dbc.get());
  }
};

// A prepared insert with the rows waiting to be sent through it.
struct OdbcConnection::PreparedInsert {
  explicit PreparedInsert(std::size_t parameters) : batch(parameters) {}
  Handle stmt{nullptr, {SQL_HANDLE_STMT}};
  std::string table;
  ParameterBatch batch;
  std::vector<SQLUSMALLINT> statuses;  // the driver's status of each row of an array
};

OdbcConnection::OdbcConnection(std::unique_ptr<Handles> handles, const OdbcOptions& options)
    : handles_(std::move(handles)), options_(options) {
  if (options_.rows_per_batch <= 1) arrays_ = ArraySupport::kNo;
}

OdbcConnection::~OdbcConnection() {
  SendPending();     // a recordset closed properly has taken its refusals before this
  inserts_.Clear();  // statements go before their connection
}

Result<std::shared_ptr<OdbcConnection>> OdbcConnection::Open(std::string_view connection_string,
                                                             const OdbcOptions& options) {
  auto handles = std::make_unique<Handles>();
  SQLHANDLE env = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
    return Status(ErrorKind::kDatabase, 0, "the ODBC driver manager cannot be started");
  }
  handles->env.reset(env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLHANDLE dbc = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
    return Diagnose(SQL_HANDLE_ENV, env, "connect");
  }
  handles->dbc = Handle(dbc, {SQL_HANDLE_DBC});
  std::string text(connection_string);
  SQLCHAR out[1024];
  SQLSMALLINT out_length = 0;
  const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                        static_cast<SQLSMALLINT>(text.size()), out, sizeof out,
                                        &out_length, SQL_DRIVER_NOPROMPT);
  if (!Succeeded(rc)) {
    Status st = Diagnose(SQL_HANDLE_DBC, dbc, "connect");
    handles->dbc.reset();  // never connected: nothing to disconnect
    return st;
  }
  // A session that cannot be prepared could change values silently: it is not used.
  RETURN_IF_ERROR(PrepareSession(dbc));
  return std::shared_ptr<OdbcConnection>(new OdbcConnection(std::move(handles), options));
}

Status OdbcConnection::Execute(std::string_view text) {
  SendPending();  // the command may read or change the table being filled
  table_columns_.clear();
  Handle stmt = NewStatement(handles_->dbc.get());
  if (!stmt) return Diagnose(SQL_HANDLE_DBC, handles_->dbc.get(), "execute");
  std::string sql(text);
  SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                               static_cast<SQLINTEGER>(sql.size()));
  if (rc == SQL_NO_DATA) return Status::Ok();
  if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, stmt.get(), "execute");
  // Later statements of the text report their failures as further results.
  while ((rc = SQLMoreResults(stmt.get())) != SQL_NO_DATA) {
    if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, stmt.get(), "execute");
  }
  return Status::Ok();
}

Result<std::unique_ptr<Cursor>> OdbcConnection::Query(std::string_view text) {
  SendPending();  // a query sees every row saved before it
  Handle stmt = NewStatement(handles_->dbc.get());
  if (!stmt) return Diagnose(SQL_HANDLE_DBC, handles_->dbc.get(), "query");
  std::string sql(text);
  const SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                     static_cast<SQLINTEGER>(sql.size()));
  if (!Succeeded(rc) && rc != SQL_NO_DATA) return Diagnose(SQL_HANDLE_STMT, stmt.get(), "query");
  SQLSMALLINT count = 0;
  SQLNumResultCols(stmt.get(), &count);
  std::vector<ColumnInfo> columns;
  for (SQLSMALLINT i = 1; i <= count; ++i) {
    columns.push_back(DescribeColumn(stmt.get(), static_cast<SQLUSMALLINT>(i)));
  }
  return std::unique_ptr<Cursor>(std::make_unique<OdbcCursor>(std::move(stmt), std::move(columns)));
}

Result<std::vector<ColumnInfo>> OdbcConnection::TableColumns(std::string_view table) {
  const std::string key = text::LowerAscii(table);
  if (auto it = table_columns_.find(key); it != table_columns_.end()) return it->second;
  // Describing an empty result gives the columns in table order on every driver.
  ASSIGN_OR_RETURN(std::unique_ptr<Cursor> cursor,
                   Query("SELECT * FROM " + recordset::BracketName(table) + " WHERE 1=0"));
  std::vector<ColumnInfo> columns = cursor->columns();
  table_columns_[key] = columns;
  return columns;
}

Result<OdbcConnection::PreparedInsert*> OdbcConnection::Prepare(
    std::string_view table, const std::vector<ColumnInfo>& columns,
    const std::vector<int>& assigned) {
  if (PreparedInsert* found = inserts_.Find(table, assigned)) return found;
  auto prepared = std::make_unique<PreparedInsert>(assigned.size());
  prepared->table = std::string(table);
  prepared->stmt = NewStatement(handles_->dbc.get());
  if (!prepared->stmt) return Diagnose(SQL_HANDLE_DBC, handles_->dbc.get(), "insert");
  std::vector<std::string_view> names;
  for (const int index : assigned) names.push_back(columns[static_cast<std::size_t>(index)].name);
  std::string sql = InsertText(table, names, recordset::BracketName);
  if (!Succeeded(SQLPrepare(prepared->stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                            static_cast<SQLINTEGER>(sql.size())))) {
    return Diagnose(SQL_HANDLE_STMT, prepared->stmt.get(),
                    "prepare insert into " + std::string(table));
  }
  return inserts_.Add(table, assigned, std::move(prepared));
}

Status OdbcConnection::Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                              const std::vector<int>& assigned,
                              const std::vector<const Value*>& values, std::uint64_t tag) {
  ASSIGN_OR_RETURN(PreparedInsert * insert, Prepare(table, columns, assigned));
  // One batch at a time, so that rows reach the database in the order they were saved.
  if (pending_ != nullptr && pending_ != insert) SendPending();
  if (!insert->batch.Add(assigned, values, tag)) {
    SendPending();                                   // a value of another type than its column's
    (void)insert->batch.Add(assigned, values, tag);  // so far: an empty batch takes any row
  }
  if (!UsesArrays()) {
    Status saved = SendRow(*insert, 0);
    insert->batch.Clear();
    return saved;
  }
  const auto now = std::chrono::steady_clock::now();
  if (pending_ == nullptr) {
    pending_ = insert;
    pending_since_ = now;
  }
  const ParameterBatch& batch = insert->batch;
  if (batch.rows() >= options_.rows_per_batch || batch.bytes() >= options_.max_batch_bytes ||
      now - pending_since_ >= options_.max_batch_delay) {
    SendPending();
  }
  return Status::Ok();
}

bool OdbcConnection::UsesArrays() {
  if (arrays_ == ArraySupport::kUntested) {
    // Arrays need a transaction to take back a batch with a refused row. Whether the driver
    // takes arrays at all shows when the first one is sent.
    SQLUSMALLINT transactions = SQL_TC_NONE;
    const SQLRETURN rc = SQLGetInfo(handles_->dbc.get(), SQL_TXN_CAPABLE, &transactions,
                                    sizeof transactions, nullptr);
    arrays_ = Succeeded(rc) && transactions != SQL_TC_NONE ? ArraySupport::kYes : ArraySupport::kNo;
  }
  return arrays_ == ArraySupport::kYes;
}

// What became of an array.
struct OdbcConnection::ArrayResult {
  enum class Outcome : std::uint8_t {
    kCommitted,
    kRolledBack,  // nothing of it kept
    kNotTaken,    // the driver takes no arrays: nothing was sent
    kUnknown,     // the transaction could not be ended: what it kept is unknown
  } outcome;
  // After a rollback, the first row that may have been refused (all rows before it were saved
  // before the rollback), when the driver said.
  std::optional<std::size_t> first_refused;
  Status status;
};

namespace {

// Arrays of one batch that may be rolled back before its remaining rows go one by one: a refused
// row costs at most two, so this is many refusals, or a driver whose arrays fail for reasons of
// their own.
constexpr int kRolledBackArraysPerBatch = 8;

}  // namespace

void OdbcConnection::SendPending() {
  PreparedInsert* insert = std::exchange(pending_, nullptr);
  if (insert == nullptr) return;
  int retries = kRolledBackArraysPerBatch;
  SendRows(*insert, 0, insert->batch.rows(), retries);
  insert->batch.Clear();
}

void OdbcConnection::SendRows(PreparedInsert& insert, std::size_t first, std::size_t count,
                              int& retries) {
  while (count > 0) {
    if (count == 1 || arrays_ != ArraySupport::kYes || retries <= 0) {
      SendRowOrRefuse(insert, first);
      ++first;
      --count;
      continue;
    }
    ArrayResult result = SendArray(insert, first, count);
    switch (result.outcome) {
      case ArrayResult::Outcome::kCommitted:
        ++counts_.arrays;
        counts_.rows_in_arrays += count;
        return;
      case ArrayResult::Outcome::kUnknown:
        // Sending these rows again could save them twice: they are reported lost.
        for (std::size_t r = first; r < first + count; ++r) {
          late_.push_back({insert.batch.tag(r), result.status});
        }
        return;
      case ArrayResult::Outcome::kNotTaken:
        continue;  // one by one from here on
      case ArrayResult::Outcome::kRolledBack:
        ++counts_.arrays_rolled_back;
        --retries;
        if (!result.first_refused) {
          retries = 0;  // the driver says nothing of its rows: one by one
          continue;
        }
        const std::size_t saved_before = *result.first_refused;
        SendRows(insert, first, saved_before, retries);
        SendRowOrRefuse(insert, first + saved_before);
        first += saved_before + 1;
        count -= saved_before + 1;
        break;
    }
  }
}

OdbcConnection::ArrayResult OdbcConnection::SendArray(PreparedInsert& insert, std::size_t first,
                                                      std::size_t count) {
  SQLHDBC dbc = handles_->dbc.get();
  SQLHSTMT stmt = insert.stmt.get();
  const auto set_size = [&](std::size_t size) {
    return SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(size), 0);
  };
  // A driver that cannot take the whole array says so here (an error, or "option value
  // changed"): its rows go one by one from now on.
  if (set_size(count) != SQL_SUCCESS ||
      !Succeeded(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                   SQL_IS_UINTEGER))) {
    arrays_ = ArraySupport::kNo;
    set_size(1);
    return {ArrayResult::Outcome::kNotTaken, std::nullopt, Status::Ok()};
  }
  insert.statuses.assign(count, kStatusNotReported);
  SQLULEN processed = kCountNotReported;
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, insert.statuses.data(), 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  bool executed = Succeeded(insert.batch.Bind(stmt, first));
  if (executed) {
    executed = Succeeded(SQLExecute(stmt));
    SQLFreeStmt(stmt, SQL_CLOSE);
  }
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
  set_size(1);

  const ArrayReport report = ReadArrayReport(insert.statuses, processed, executed);
  const bool saved = report.all_saved;
  ArrayResult result{saved ? ArrayResult::Outcome::kCommitted : ArrayResult::Outcome::kRolledBack,
                     report.first_refused, Status::Ok()};
  if (!Succeeded(SQLEndTran(SQL_HANDLE_DBC, dbc, saved ? SQL_COMMIT : SQL_ROLLBACK))) {
    result.outcome = ArrayResult::Outcome::kUnknown;
    result.status = Diagnose(SQL_HANDLE_DBC, dbc,
                             std::string(saved ? "commit" : "roll back") + " an array of " +
                                 std::to_string(count) + " rows into " + insert.table);
  }
  SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                    SQL_IS_UINTEGER);
  return result;
}

void OdbcConnection::SendRowOrRefuse(PreparedInsert& insert, std::size_t row) {
  if (Status saved = SendRow(insert, row); !saved.ok()) {
    late_.push_back({insert.batch.tag(row), std::move(saved)});
  }
}

Status OdbcConnection::SendRow(PreparedInsert& insert, std::size_t row) {
  SQLHSTMT stmt = insert.stmt.get();
  ++counts_.rows_alone;
  if (!Succeeded(insert.batch.Bind(stmt, row))) {
    return Diagnose(SQL_HANDLE_STMT, stmt, "bind " + insert.table);
  }
  const SQLRETURN rc = SQLExecute(stmt);
  Status result = Succeeded(rc) || rc == SQL_NO_DATA
                      ? Status::Ok()
                      : Diagnose(SQL_HANDLE_STMT, stmt, "insert into " + insert.table);
  SQLFreeStmt(stmt, SQL_CLOSE);
  return result;
}

std::vector<recordset::LateRefusal> OdbcConnection::TakeLateRefusals() {
  return std::exchange(late_, {});
}

std::vector<std::string> ListDataSources() {
  std::vector<std::string> names;
  SQLHANDLE env = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return names;
  Handle owner(env, {SQL_HANDLE_ENV});
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
  SQLCHAR description[256];
  SQLSMALLINT name_length = 0, description_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (Succeeded(SQLDataSources(env, direction, name, sizeof name, &name_length, description,
                                  sizeof description, &description_length))) {
    names.emplace_back(reinterpret_cast<char*>(name));
    direction = SQL_FETCH_NEXT;
  }
  return names;
}

}  // namespace zuna::sql::odbc
