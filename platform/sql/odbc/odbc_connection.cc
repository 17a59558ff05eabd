#include "platform/sql/odbc/odbc_connection.h"

#include <sql.h>
#include <sqlext.h>

#include <cstring>

#include "platform/sql/statement.h"

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

}  // namespace

struct OdbcConnection::Handles {
  Handle env{nullptr, {SQL_HANDLE_ENV}};
  Handle dbc{nullptr, {SQL_HANDLE_DBC}};
  ~Handles() {
    if (dbc) SQLDisconnect(dbc.get());
  }
};

// A prepared insert with the buffers its parameters point at while a row executes.
struct OdbcConnection::PreparedInsert {
  Handle stmt{nullptr, {SQL_HANDLE_STMT}};
  std::vector<std::string> texts;
  std::vector<std::int64_t> integers;
  std::vector<double> doubles;
  std::vector<SQL_DATE_STRUCT> dates;
  std::vector<SQL_TIMESTAMP_STRUCT> timestamps;
  std::vector<SQLLEN> indicators;
};

OdbcConnection::OdbcConnection(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
OdbcConnection::~OdbcConnection() {
  inserts_.Clear();  // statements go before their connection
}

Result<std::shared_ptr<OdbcConnection>> OdbcConnection::Open(std::string_view connection_string) {
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
  return std::shared_ptr<OdbcConnection>(new OdbcConnection(std::move(handles)));
}

Status OdbcConnection::Execute(std::string_view text) {
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
  const std::string key = LowerAscii(table);
  if (auto it = table_columns_.find(key); it != table_columns_.end()) return it->second;
  // Describing an empty result gives the columns in table order on every driver.
  ASSIGN_OR_RETURN(std::unique_ptr<Cursor> cursor,
                   Query("SELECT * FROM " + BracketName(table) + " WHERE 1=0"));
  std::vector<ColumnInfo> columns = cursor->columns();
  table_columns_[key] = columns;
  return columns;
}

Status OdbcConnection::Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                              const std::vector<int>& assigned,
                              const std::vector<const Value*>& values) {
  PreparedInsert* found = inserts_.Find(table, assigned);
  if (found == nullptr) {
    auto prepared = std::make_unique<PreparedInsert>();
    prepared->stmt = NewStatement(handles_->dbc.get());
    if (!prepared->stmt) return Diagnose(SQL_HANDLE_DBC, handles_->dbc.get(), "insert");
    std::string sql = "INSERT INTO " + BracketName(table);
    if (assigned.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names, marks;
      for (std::size_t i = 0; i < assigned.size(); ++i) {
        names += (i ? ", " : "") + BracketName(columns[static_cast<std::size_t>(assigned[i])].name);
        marks += i ? ", ?" : "?";
      }
      sql += " (" + names + ") VALUES (" + marks + ")";
    }
    if (!Succeeded(SQLPrepare(prepared->stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                              static_cast<SQLINTEGER>(sql.size())))) {
      return Diagnose(SQL_HANDLE_STMT, prepared->stmt.get(),
                      "prepare insert into " + std::string(table));
    }
    const std::size_t n = assigned.size();
    prepared->texts.resize(n);
    prepared->integers.resize(n);
    prepared->doubles.resize(n);
    prepared->dates.resize(n);
    prepared->timestamps.resize(n);
    prepared->indicators.resize(n);
    found = inserts_.Add(table, assigned, std::move(prepared));
  }
  PreparedInsert& p = *found;
  SQLHSTMT stmt = p.stmt.get();
  for (std::size_t i = 0; i < assigned.size(); ++i) {
    const Value& v = *values[static_cast<std::size_t>(assigned[i])];
    const auto slot = static_cast<SQLUSMALLINT>(i + 1);
    SQLLEN& indicator = p.indicators[i];
    SQLRETURN rc = SQL_SUCCESS;
    switch (v.kind()) {
      case ValueKind::kNull:
        indicator = SQL_NULL_DATA;
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr,
                              0, &indicator);
        break;
      case ValueKind::kText:
      case ValueKind::kDecimal:
        p.texts[i] = v.kind() == ValueKind::kText ? v.text() : v.ToText();
        indicator = static_cast<SQLLEN>(p.texts[i].size());
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                              std::max<SQLULEN>(1, p.texts[i].size()), 0, p.texts[i].data(),
                              indicator, &indicator);
        break;
      case ValueKind::kBinary:
        p.texts[i] = v.text();
        indicator = static_cast<SQLLEN>(p.texts[i].size());
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY,
                              std::max<SQLULEN>(1, p.texts[i].size()), 0, p.texts[i].data(),
                              indicator, &indicator);
        break;
      case ValueKind::kInteger:
      case ValueKind::kBoolean:
        p.integers[i] = v.integer();
        indicator = 0;
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                              &p.integers[i], 0, &indicator);
        break;
      case ValueKind::kDouble:
        p.doubles[i] = v.number();
        indicator = 0;
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                              &p.doubles[i], 0, &indicator);
        break;
      case ValueKind::kDate:
        p.dates[i] = {static_cast<SQLSMALLINT>(v.date().year),
                      static_cast<SQLUSMALLINT>(v.date().month),
                      static_cast<SQLUSMALLINT>(v.date().day)};
        indicator = 0;
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, 0,
                              &p.dates[i], 0, &indicator);
        break;
      case ValueKind::kDateTime:
        p.timestamps[i] = {static_cast<SQLSMALLINT>(v.date().year),
                           static_cast<SQLUSMALLINT>(v.date().month),
                           static_cast<SQLUSMALLINT>(v.date().day),
                           static_cast<SQLUSMALLINT>(v.time().hour),
                           static_cast<SQLUSMALLINT>(v.time().minute),
                           static_cast<SQLUSMALLINT>(v.time().second),
                           static_cast<SQLUINTEGER>(v.time().millisecond) * 1'000'000u};
        indicator = 0;
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                              23, 3, &p.timestamps[i], 0, &indicator);
        break;
    }
    if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, stmt, "bind " + std::string(table));
  }
  const SQLRETURN rc = SQLExecute(stmt);
  Status result = Succeeded(rc) || rc == SQL_NO_DATA
                      ? Status::Ok()
                      : Diagnose(SQL_HANDLE_STMT, stmt, "insert into " + std::string(table));
  SQLFreeStmt(stmt, SQL_CLOSE);
  return result;
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
