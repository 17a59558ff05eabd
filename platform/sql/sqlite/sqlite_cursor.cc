#include "platform/sql/sqlite/sqlite_cursor.h"

#include <sqlite3.h>

#include <cstdint>
#include <string_view>
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

namespace {

// A column read through its value object. On a connection without a mutex of its own (opened
// without serialized access) the engine makes no difference between that object and the column:
// reading through it saves the statement's checks on every call, a third of the reading.
struct ThroughValue {
  sqlite3_value* value;
  int Type() const { return sqlite3_value_type(value); }
  std::int64_t Integer() const { return sqlite3_value_int64(value); }
  double Number() const { return sqlite3_value_double(value); }
  const void* Blob() const { return sqlite3_value_blob(value); }
  const unsigned char* Text() const { return sqlite3_value_text(value); }
  int Bytes() const { return sqlite3_value_bytes(value); }
};

// A column read through the statement's own calls, which take the connection's mutex.
struct ThroughStatement {
  sqlite3_stmt* stmt;
  int i;
  int Type() const { return sqlite3_column_type(stmt, i); }
  std::int64_t Integer() const { return sqlite3_column_int64(stmt, i); }
  double Number() const { return sqlite3_column_double(stmt, i); }
  const void* Blob() const { return sqlite3_column_blob(stmt, i); }
  const unsigned char* Text() const { return sqlite3_column_text(stmt, i); }
  int Bytes() const { return sqlite3_column_bytes(stmt, i); }
};

// The pointer comes before the length: the engine converts a value on the first call.
template <typename Column>
ColumnView ViewOf(const Column& column) {
  ColumnView view;
  switch (column.Type()) {
    case SQLITE_NULL:
      return view;
    case SQLITE_INTEGER:
      view.kind = ColumnView::Kind::kInteger;
      view.integer = column.Integer();
      return view;
    case SQLITE_FLOAT:
      view.kind = ColumnView::Kind::kDouble;
      view.number = column.Number();
      return view;
    case SQLITE_BLOB: {
      view.kind = ColumnView::Kind::kBinary;
      const auto* bytes = static_cast<const char*>(column.Blob());
      view.bytes = std::string_view(bytes, static_cast<std::size_t>(column.Bytes()));
      return view;
    }
    default: {
      view.kind = ColumnView::Kind::kText;
      const auto* text = reinterpret_cast<const char*>(column.Text());
      view.bytes = std::string_view(text, static_cast<std::size_t>(column.Bytes()));
      return view;
    }
  }
}

}  // namespace

ColumnView SqliteCursor::Lend(int i) const {
  if (lend_values_) return ViewOf(ThroughValue{sqlite3_column_value(stmt_, i)});
  return ViewOf(ThroughStatement{stmt_, i});
}

}  // namespace zuna::sql::sqlite
