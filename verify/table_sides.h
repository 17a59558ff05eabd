#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "import/catalog.h"
#include "platform/base/result.h"
#include "platform/base/value.h"
#include "platform/recordset/recordset.h"
#include "platform/sql/connection.h"
#include "verify/canonical_value.h"
#include "verify/import_log.h"
#include "verify/row_hash.h"

namespace zuna::sources {
class DataSources;
}

namespace zuna::verify {

// A column the import assigns and both sides have: compared on every row.
struct ComparedColumn {
  std::string name;
  const transfer::FieldOperation* op = nullptr;
  sql::ColumnType type;  // the target column's declared type
  int source = -1;       // index in the FoxPro recordset
  // What the import writes into this column regardless of the source: the installation step's
  // "SqlServer" in dbf_type.
  std::optional<std::string> fixed_value;
};

// How one table is compared: its columns, and the catalogued fields left out because a side
// lacks them (the import lists those in its log as not assigned on every row).
struct TablePlan {
  std::vector<ComparedColumn> columns;
  std::vector<std::string> not_compared;
  // False when the import adds no rows for the source's rows: the ddo walk over a table
  // without a column named ddo_code.
  bool adds_rows = true;
};

// The FoxPro side: the rows of the table, read as the import reads them, each turned into the
// values the target columns should hold by the import's own field rules and canonical forms.
// Rows are numbered 1, 2, ... in the order delivered, as the import's log numbers them.
class SourceSide {
 public:
  SourceSide(const transfer::CatalogEntry& entry, const sources::DataSources& sources,
             const TableLog& log);
  SourceSide(const SourceSide&) = delete;
  SourceSide& operator=(const SourceSide&) = delete;

  // Opens the table and matches the catalogued fields with the target's columns.
  Result<TablePlan> Open(const std::vector<sql::ColumnInfo>& target_columns);
  // Moves to the next row; false after the last one.
  Result<bool> Next();
  std::uint64_t row() const { return row_; }
  // The expected values of the current row, as one hash or one by one.
  RowHash Hash(const TablePlan& plan);
  std::vector<CanonicalValue> Values(const TablePlan& plan);
  Status Close();

 private:
  CanonicalState AppendExpected(const ComparedColumn& column, std::string& out);

  const transfer::CatalogEntry& entry_;
  const sources::DataSources& sources_;
  const TableLog& log_;
  std::unique_ptr<recordset::Recordset> recordset_;
  std::uint64_t row_ = 0;
  bool started_ = false;
  // The current row's values where the FoxPro reader holds them so; empty otherwise.
  std::span<const Value> row_values_;
  Value scratch_;
  RowHasher hasher_;
};

// The target side: the rows of the table through the target's connection, each column of the
// plan in canonical form. Rows are numbered in the order read.
class TargetSide {
 public:
  explicit TargetSide(std::shared_ptr<sql::Connection> connection)
      : connection_(std::move(connection)) {}

  Status Open(std::string_view table, const TablePlan& plan);
  Result<bool> Next();
  std::uint64_t row() const { return row_; }
  RowHash Hash(const TablePlan& plan);
  std::vector<CanonicalValue> Values(const TablePlan& plan);

 private:
  std::shared_ptr<sql::Connection> connection_;
  std::unique_ptr<sql::Cursor> cursor_;
  CanonicalState AppendStored(const TablePlan& plan, std::size_t i, std::string& out);

  std::vector<int> indexes_;                         // the cursor column of each compared column
  std::vector<sql::ColumnType::Kind> column_kinds_;  // how the cursor types each of them
  std::vector<sql::ColumnView> views_;               // the current row's compared columns
  Value scratch_;
  std::uint64_t row_ = 0;
  RowHasher hasher_;
};

}  // namespace zuna::verify
