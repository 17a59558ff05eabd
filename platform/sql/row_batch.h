#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/status.h"
#include "platform/base/value.h"
#include "platform/sql/column_type.h"

namespace zuna::sql {

// The statement that saves a row, for one table and one set of its columns: what a row of a
// batch names, so that the thread saving it needs no lookup. A saver derives its own, holding
// its prepared statement; the part every saver reads is here.
struct SavePlan {
  SavePlan() = default;
  SavePlan(const SavePlan&) = delete;
  SavePlan& operator=(const SavePlan&) = delete;
  virtual ~SavePlan() = default;

  std::string table;
  std::vector<int> assigned;       // the table's columns the row's values go into, in order
  std::vector<ColumnType> types;   // their types, in the same order
  std::vector<std::string> names;  // their names, in the same order
};

// A value converted for its column, in the form the engine is given it: nothing, a 64-bit
// integer, a double, or text or bytes kept in the batch that holds the value.
struct BoundValue {
  enum class Kind : std::uint8_t { kNull, kInteger, kDouble, kText, kBlob };
  Kind kind = Kind::kNull;
  std::uint32_t size = 0;  // kText and kBlob: the length of the bytes
  union {
    std::int64_t integer = 0;  // kInteger
    double number;             // kDouble
    std::uint64_t offset;      // kText and kBlob: where the bytes start in the batch's text
  };
};

// Rows converted for the columns they go into, ready to be bound and saved together: the unit
// in which converted rows are handed from the thread that reads and converts them to the one
// that saves them. A row refused while it was converted is kept in its place with its refusal,
// so that the rows' outcomes stay in their order. Clear() keeps the buffers: a batch that is
// refilled row after row stops allocating once it has grown to its rows' size.
class RowBatch {
 public:
  struct Row {
    std::uint64_t tag = 0;      // the caller's name for the row (the import's source row)
    SavePlan* plan = nullptr;   // the statement that saves it
    std::uint32_t first = 0;    // its first value in values()
    std::uint32_t count = 0;    // its number of values
    std::int32_t refusal = -1;  // index into refusals(), or -1 when it converted
  };

  // Starts a row; its values follow through Append, and Refuse may end it instead.
  void BeginRow(std::uint64_t tag, SavePlan& plan);
  // Converts `value` for a column of `type` named `column`, as SQL Server converts on insert
  // (ConvertForColumn), and adds it to the row begun last. Returns the refusal of a value that
  // does not fit; the row is then to be refused.
  Status Append(const Value& value, const ColumnType& type, std::string_view column);
  // Converts the row's values for the columns of its plan (the value of table column c is
  // values[c]), or refuses the row at the first value that does not fit. False when it was
  // refused.
  bool AppendRow(const std::vector<const Value*>& values);
  // Refuses the row begun last with `status`: its values are dropped, its place is kept.
  void Refuse(Status status);

  void Clear();
  bool empty() const { return rows_.empty(); }
  std::size_t size() const { return rows_.size(); }
  const Row& row(std::size_t index) const { return rows_[index]; }
  const BoundValue& value(const Row& row, std::uint32_t index) const {
    return values_[row.first + index];
  }
  // The bytes of a kText or kBlob value; valid until the batch is cleared.
  std::size_t text_bytes() const { return text_.size(); }
  std::string_view bytes(const BoundValue& value) const {
    return std::string_view(text_).substr(value.offset, value.size);
  }
  const Status& refusal(const Row& row) const {
    return refusals_[static_cast<std::size_t>(row.refusal)];
  }

 private:
  // Adds `value` as the engine is given it, uncounted: Append counts what it keeps.
  void AddBound(const Value& value);
  void AddBytes(BoundValue::Kind kind, std::string_view bytes);
  Status AppendBytes(BoundValue::Kind kind, std::string_view bytes, std::string_view column);
  // A date or datetime in its stored text form.
  void AppendStoredText(const Value& date, bool date_only);

  std::vector<Row> rows_;
  std::vector<BoundValue> values_;
  std::string text_;
  std::vector<Status> refusals_;
  Value scratch_;  // a value converted on the general path, reused
};

}  // namespace zuna::sql
