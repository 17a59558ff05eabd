#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/value.h"

namespace zuna::sql::odbc {

// The rows waiting to be sent through one prepared insert, held column by column as ODBC's
// parameter arrays want them. Every parameter has one C type for the whole batch, taken from
// its first value that is not null; a row whose value has another type does not fit, and the
// batch must be sent before it. So does a binary value of another length than the batch's
// earlier ones: SQLite's driver sends every binary value of an array with the length of the
// first. A batch of one row is how a row is sent on its own.
//
// Every buffer a driver is given is 8-byte aligned and has at least kMinElementBytes for each
// row, texts one byte more than the longest of them: room for a driver that writes a pointer
// or a terminator per row where it reads a value (MariaDB's does, in the state described at
// Bind). The buffers live until the next Bind, Clear or the batch's end.
class ParameterBatch {
 public:
  static constexpr std::size_t kMinElementBytes = 8;

  explicit ParameterBatch(std::size_t parameter_count);

  // Copies a row: parameter i takes *values[assigned[i]]. False, with nothing added, when a
  // value's type differs from its parameter's type in this batch, or a binary value's length
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

 private:
  // The C type a parameter is bound with; kUnset while all its values are null.
  enum class Kind : std::uint8_t { kUnset, kText, kBinary, kInteger, kDouble, kDate, kTimestamp };

  // The unit of the bound buffers, for their alignment.
  using Word = std::uint64_t;

  struct Parameter {
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
