#include "platform/sql/sqlite/sqlite_cursor.h"

#include <sqlite3.h>

#include <utility>

#include "platform/sql/date_text.h"

namespace zuna::sql::sqlite {

SqliteCursor::SqliteCursor(sqlite3_stmt* stmt, sqlite3* db) : stmt_(stmt), db_(db) {
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

SqliteCursor::~SqliteCursor() { sqlite3_finalize(stmt_); }

Result<bool> SqliteCursor::Next(std::vector<Value>& row) {
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

void SqliteCursor::Read(int i, Value& out) const {
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

}  // namespace zuna::sql::sqlite
