#include "platform/sql/odbc/odbc_cursor.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sql/date_text.h"

namespace zuna::sql::odbc {
namespace {

// The column's SQL type as the declared type of the same name in SQL Server.
ColumnInfo DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT index) {
  SQLCHAR name[256] = {};
  SQLSMALLINT name_length = 0, sql_type = 0, digits = 0, nullable = 0;
  SQLULEN size = 0;
  SQLDescribeCol(stmt, index, name, sizeof name, &name_length, &sql_type, &size, &digits,
                 &nullable);
  ColumnInfo column;
  column.name = reinterpret_cast<char*>(name);
  // psqlODBC reports a boolean as a text of 5 characters unless told otherwise (BoolsAsChar);
  // its type name says what it is.
  SQLCHAR type_name[64] = {};
  SQLSMALLINT type_name_length = 0;
  if (SQLColAttribute(stmt, index, SQL_DESC_TYPE_NAME, type_name, sizeof type_name,
                      &type_name_length, nullptr) == SQL_SUCCESS &&
      std::string_view(reinterpret_cast<char*>(type_name)) == "bool") {
    sql_type = SQL_BIT;
  }
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

std::unique_ptr<Cursor> OpenCursor(Handle stmt) {
  SQLSMALLINT count = 0;
  SQLNumResultCols(stmt.get(), &count);
  std::vector<ColumnInfo> columns;
  for (SQLSMALLINT i = 1; i <= count; ++i) {
    columns.push_back(DescribeColumn(stmt.get(), static_cast<SQLUSMALLINT>(i)));
  }
  return std::make_unique<OdbcCursor>(std::move(stmt), std::move(columns));
}

}  // namespace zuna::sql::odbc
