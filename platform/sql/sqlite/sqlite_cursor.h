#pragma once

#include <vector>

#include "platform/sql/connection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zuna::sql::sqlite {

// The rows of a query, their values typed by the columns' declared types: a date column delivers
// dates, not text. It owns `stmt`, a prepared query of `db`, and finalizes it.
class SqliteCursor final : public Cursor {
 public:
  SqliteCursor(sqlite3_stmt* stmt, sqlite3* db);
  ~SqliteCursor() override;

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  Result<bool> Next(std::vector<Value>& row) override;

 private:
  void Read(int i, Value& out) const;

  sqlite3_stmt* stmt_;
  sqlite3* db_;
  std::vector<ColumnInfo> columns_;
  bool done_ = false;
};

}  // namespace zuna::sql::sqlite
