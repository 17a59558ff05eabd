#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/value.h"
#include "platform/sql/column_type.h"

namespace zuna::sql::odbc {

// The rows waiting to be sent through one prepared insert, held column by column as ODBC's
// parameter arrays want them. Every parameter has one C type for the whole batch, the one its
// column's SQL type asks for: a value goes in as that type when it converts
// without a rule of the database's own (an integer into a text column as its digits, a date into
// a datetime column at midnight, any value but bytes into a text column as its text form, which
// is what the embedded engine stores). Any other value keeps its own type, which the server then
// converts or refuses as it would; such a value, or a parameter whose column type the tool does
// not know, fixes the type at the batch's first value that is not null, and a row whose value
// would need another type does not fit: the batch must be sent before it. So does a binary value
// of another length than the batch's earlier ones: SQLite's driver sends every binary value of an
// array with the length of the first. A batch of one row is how a row is sent on its own.
//
// Every buffer a driver is given is 8-byte aligned and has at least kMinElementBytes for each
// row, texts one byte more than the longest of them: room for a driver that writes a pointer
// or a terminator per row where it reads a value (MariaDB's does, in the state described at
// Bind). The buffers live until the next Bind, Clear or the batch's end.
class ParameterBatch {
 public:
  static constexpr std::size_t kMinElementBytes = 8;

  // The C type a parameter is bound with; kUnset while all its values are null.
  enum class Kind : std::uint8_t { kUnset, kText, kBinary, kInteger, kDouble, kDate, kTimestamp };

  // One parameter per column, each with the kind its column's type takes: texts and exact
  // decimals as text, integers and bits as 64-bit integers, floats as doubles, dates and
  // datetimes as ODBC's date and timestamp structures.
  explicit ParameterBatch(std::vector<ColumnType::Kind> columns);
  // `parameter_count` parameters whose values keep their own kinds.
  explicit ParameterBatch(std::size_t parameter_count);

  // Copies a row: parameter i takes *values[assigned[i]]. False, with nothing added, when a
  // value cannot go in as its parameter's type in this batch, or a binary value's length differs
  // from the length of the parameter's binary values in it.
  bool Add(const std::vector<int>& assigned, const std::vector<const Value*>& values,
           std::uint64_t tag);

  std::size_t rows() const { return tags_.size(); }
  std::size_t bytes() const { return bytes_; }
  std::uint64_t tag(std::size_t row) const { return tags_[row]; }

  // Binds the rows from `first` on column-wise to `stmt`'s parameters; the statement's
  // parameter set size says how many of them it sends. The statement's earlier bindings are
  // released first, so that a driver keeps nothing from them. The driver's code when it refuses.
  SQLRETURN Bind(SQLHSTMT stmt, std::size_t first);

  void Clear();

  // The kind of parameter `index` in this batch (kUnset while its values are all null).
  Kind kind(std::size_t index) const { return parameters_[index].kind; }

 private:
  // The unit of the bound buffers, for their alignment.
  using Word = std::uint64_t;

  struct Parameter {
    ColumnType::Kind column = ColumnType::Kind::kOther;
    Kind kind = Kind::kUnset;
    std::vector<std::string> texts;  // kText and kBinary, one per row, laid out when bound
    std::vector<SQLLEN> indicators;  // the length of each row's value, or SQL_NULL_DATA
    std::size_t binary_length = 0;   // of every binary value, once there is one
    // The values as the driver reads them, row after row `stride` bytes apart: fixed-size
    // values as they are added, texts and the placeholder of an all-null parameter when the
    // batch is bound.
    std::vector<Word> bound;
    // The rows from `first` on, copied when they do not start on a word in `bound` (dates are
    // 6 bytes apart): what is bound then.
    std::vector<Word> window;
    std::size_t stride = 0;
    std::size_t widest = 0;  // the longest text or binary value, when laid out
  };

  static Kind KindOf(const Value& value);
  // The kind `value` goes in for a parameter of `column`'s type (see the class comment).
  static Kind KindFor(const Value& value, ColumnType::Kind column);
  void Store(Parameter& parameter, std::size_t row, const Value& value);
  void Pack(Parameter& parameter);
  // Makes `parameter.bound` hold `rows` rows at its stride, with the spare room described above.
  static void Reserve(Parameter& parameter, std::size_t rows);

  std::vector<Parameter> parameters_;
  std::vector<std::uint64_t> tags_;
  std::size_t bytes_ = 0;
  bool packed_ = false;
};

}  // namespace zuna::sql::odbc
