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
class ParameterBatch {
 public:
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
  // parameter set size says how many of them it sends. The driver's code when it refuses.
  SQLRETURN Bind(SQLHSTMT stmt, std::size_t first);

  void Clear();

 private:
  // The C type a parameter is bound with; kUnset while all its values are null.
  enum class Kind : std::uint8_t { kUnset, kText, kBinary, kInteger, kDouble, kDate, kTimestamp };

  struct Parameter {
    Kind kind = Kind::kUnset;
    std::vector<std::string> texts;  // kText and kBinary, one per row
    std::vector<std::int64_t> integers;
    std::vector<double> doubles;
    std::vector<SQL_DATE_STRUCT> dates;
    std::vector<SQL_TIMESTAMP_STRUCT> timestamps;
    std::vector<SQLLEN> indicators;  // the length of each row's value, or SQL_NULL_DATA
    std::size_t binary_length = 0;   // of every binary value, once there is one
    // Texts laid out at a fixed stride for binding, built when the batch is bound.
    std::string packed;
    std::size_t stride = 1;
  };

  static Kind KindOf(const Value& value);
  void Store(Parameter& parameter, std::size_t row, const Value& value);
  void Pack(Parameter& parameter);

  std::vector<Parameter> parameters_;
  std::vector<std::uint64_t> tags_;
  std::size_t bytes_ = 0;
  bool packed_ = false;
};

}  // namespace zuna::sql::odbc
