#pragma once

#include <vector>

#include "platform/sql/connection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zuna::sql::sqlite {

// The rows of a query, their values typed by the columns' declared types: a date column delivers
// dates, not text. NextView and View lend the engine's own buffers instead. It owns `stmt`, a
// prepared query of `db`, and finalizes it.
class SqliteCursor final : public Cursor {
 public:
  SqliteCursor(sqlite3_stmt* stmt, sqlite3* db);
  ~SqliteCursor() override;

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  Result<bool> Next(std::vector<Value>& row) override;
  Result<bool> NextView() override;
  ColumnView View(int i) const override;
  void Views(const std::vector<int>& columns, std::vector<ColumnView>& out) const override;

 private:
  Result<bool> Step();
  ColumnView Lend(int i) const;

  sqlite3_stmt* stmt_;
  sqlite3* db_;
  // True when the connection has no mutex, so the columns may be read through their values.
  bool lend_values_;
  std::vector<ColumnInfo> columns_;
  bool done_ = false;
};

}  // namespace zuna::sql::sqlite
