#include "platform/sql/sqlite/sqlite_cursor.h"

#include <sqlite3.h>

#include <utility>

namespace zuna::sql::sqlite {

SqliteCursor::SqliteCursor(sqlite3_stmt* stmt, sqlite3* db)
    : stmt_(stmt), db_(db), lend_values_(sqlite3_db_mutex(db) == nullptr) {
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

Result<bool> SqliteCursor::Step() {
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
  return true;
}

Result<bool> SqliteCursor::Next(std::vector<Value>& row) {
  ASSIGN_OR_RETURN(const bool more, Step());
  if (!more) return false;
  row.resize(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    ValueFromView(View(static_cast<int>(i)), columns_[i].type.kind, row[i]);
  }
  return true;
}

Result<bool> SqliteCursor::NextView() { return Step(); }

ColumnView SqliteCursor::View(int i) const { return Lend(i); }

void SqliteCursor::Views(const std::vector<int>& columns, std::vector<ColumnView>& out) const {
  out.resize(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) out[i] = Lend(columns[i]);
}

ColumnView SqliteCursor::Lend(int i) const {
  ColumnView view;
  if (lend_values_) {
    // A connection without a mutex of its own (opened without serialized access) makes no
    // difference between the column's value object and the column: reading through the value
    // saves the statement's checks on every call, a third of the reading.
    sqlite3_value* value = sqlite3_column_value(stmt_, i);
    switch (sqlite3_value_type(value)) {
      case SQLITE_NULL:
        return view;
      case SQLITE_INTEGER:
        view.kind = ColumnView::Kind::kInteger;
        view.integer = sqlite3_value_int64(value);
        return view;
      case SQLITE_FLOAT:
        view.kind = ColumnView::Kind::kDouble;
        view.number = sqlite3_value_double(value);
        return view;
      case SQLITE_BLOB:
        view.kind = ColumnView::Kind::kBinary;
        view.bytes = std::string_view(static_cast<const char*>(sqlite3_value_blob(value)),
                                      static_cast<std::size_t>(sqlite3_value_bytes(value)));
        return view;
      default:
        view.kind = ColumnView::Kind::kText;
        view.bytes = std::string_view(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                      static_cast<std::size_t>(sqlite3_value_bytes(value)));
        return view;
    }
  }
  switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_NULL:
      return view;
    case SQLITE_INTEGER:
      view.kind = ColumnView::Kind::kInteger;
      view.integer = sqlite3_column_int64(stmt_, i);
      return view;
    case SQLITE_FLOAT:
      view.kind = ColumnView::Kind::kDouble;
      view.number = sqlite3_column_double(stmt_, i);
      return view;
    case SQLITE_BLOB:
      view.kind = ColumnView::Kind::kBinary;
      view.bytes = std::string_view(static_cast<const char*>(sqlite3_column_blob(stmt_, i)),
                                    static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)));
      return view;
    default:
      view.kind = ColumnView::Kind::kText;
      view.bytes = std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i)),
                                    static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)));
      return view;
  }
}

}  // namespace zuna::sql::sqlite
