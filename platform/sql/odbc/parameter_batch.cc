#include "platform/sql/odbc/parameter_batch.h"

#include <algorithm>
#include <cstring>

namespace zuna::sql::odbc {

namespace {

// What a value that is not text costs in the batch's memory, for its size bound.
constexpr std::size_t kFixedValueBytes = 16;

}  // namespace

ParameterBatch::ParameterBatch(std::size_t parameter_count) : parameters_(parameter_count) {}

ParameterBatch::Kind ParameterBatch::KindOf(const Value& value) {
  switch (value.kind()) {
    case ValueKind::kNull:
      return Kind::kUnset;
    case ValueKind::kText:
    case ValueKind::kDecimal:  // as its exact text: the server rounds it to the column's scale
      return Kind::kText;
    case ValueKind::kBinary:
      return Kind::kBinary;
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      return Kind::kInteger;
    case ValueKind::kDouble:
      return Kind::kDouble;
    case ValueKind::kDate:
      return Kind::kDate;
    case ValueKind::kDateTime:
      return Kind::kTimestamp;
  }
  return Kind::kUnset;
}

bool ParameterBatch::Add(const std::vector<int>& assigned, const std::vector<const Value*>& values,
                         std::uint64_t tag) {
  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    const Value& value = *values[static_cast<std::size_t>(assigned[i])];
    const Kind kind = KindOf(value);
    const Kind bound = parameters_[i].kind;
    if (kind != Kind::kUnset && bound != Kind::kUnset && kind != bound) return false;
    if (kind == Kind::kBinary && bound == Kind::kBinary &&
        value.text().size() != parameters_[i].binary_length) {
      return false;
    }
  }
  const std::size_t row = tags_.size();
  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    Store(parameters_[i], row, *values[static_cast<std::size_t>(assigned[i])]);
  }
  tags_.push_back(tag);
  packed_ = false;
  return true;
}

void ParameterBatch::Store(Parameter& p, std::size_t row, const Value& value) {
  const Kind kind = KindOf(value);
  if (p.kind == Kind::kUnset) {
    p.kind = kind;
    if (kind == Kind::kBinary) p.binary_length = value.text().size();
  }
  p.indicators.resize(row + 1);
  SQLLEN& indicator = p.indicators[row];
  // Every row has a slot in the arrays of its parameter's type, nulls too.
  switch (p.kind) {
    case Kind::kUnset:
      break;
    case Kind::kText:
    case Kind::kBinary:
      if (p.texts.size() <= row) p.texts.resize(row + 1);
      p.texts[row].clear();
      break;
    case Kind::kInteger:
      p.integers.resize(row + 1);
      break;
    case Kind::kDouble:
      p.doubles.resize(row + 1);
      break;
    case Kind::kDate:
      p.dates.resize(row + 1);
      break;
    case Kind::kTimestamp:
      p.timestamps.resize(row + 1);
      break;
  }
  if (kind == Kind::kUnset) {
    indicator = SQL_NULL_DATA;
    bytes_ += kFixedValueBytes;
    return;
  }
  indicator = 0;
  switch (kind) {
    case Kind::kUnset:
      break;
    case Kind::kText:
    case Kind::kBinary: {
      std::string& text = p.texts[row];
      if (value.kind() == ValueKind::kDecimal) {
        value.AppendText(text);
      } else {
        text.assign(value.text());
      }
      indicator = static_cast<SQLLEN>(text.size());
      bytes_ += text.size();
      break;
    }
    case Kind::kInteger:
      p.integers[row] = value.integer();
      break;
    case Kind::kDouble:
      p.doubles[row] = value.number();
      break;
    case Kind::kDate:
      p.dates[row] = {static_cast<SQLSMALLINT>(value.date().year),
                      static_cast<SQLUSMALLINT>(value.date().month),
                      static_cast<SQLUSMALLINT>(value.date().day)};
      break;
    case Kind::kTimestamp:
      p.timestamps[row] = {static_cast<SQLSMALLINT>(value.date().year),
                           static_cast<SQLUSMALLINT>(value.date().month),
                           static_cast<SQLUSMALLINT>(value.date().day),
                           static_cast<SQLUSMALLINT>(value.time().hour),
                           static_cast<SQLUSMALLINT>(value.time().minute),
                           static_cast<SQLUSMALLINT>(value.time().second),
                           static_cast<SQLUINTEGER>(value.time().millisecond) * 1'000'000u};
      break;
  }
  bytes_ += kFixedValueBytes;
}

void ParameterBatch::Pack(Parameter& p) {
  const std::size_t rows = tags_.size();
  if (p.kind == Kind::kUnset) {
    p.stride = 1;
    p.packed.assign(rows, '\0');  // a buffer for parameters whose values are all null
    return;
  }
  if (p.kind != Kind::kText && p.kind != Kind::kBinary) return;  // bound from their own arrays
  // A null row's text may be left from an earlier batch: only its indicator counts.
  std::size_t widest = 1;
  for (std::size_t r = 0; r < rows; ++r) {
    if (p.indicators[r] != SQL_NULL_DATA) widest = std::max(widest, p.texts[r].size());
  }
  p.stride = widest;
  p.packed.assign(rows * widest, '\0');
  for (std::size_t r = 0; r < rows; ++r) {
    if (p.indicators[r] == SQL_NULL_DATA) continue;
    std::memcpy(p.packed.data() + r * widest, p.texts[r].data(), p.texts[r].size());
  }
}

SQLRETURN ParameterBatch::Bind(SQLHSTMT stmt, std::size_t first) {
  if (!packed_) {
    for (Parameter& p : parameters_) Pack(p);
    packed_ = true;
  }
  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    Parameter& p = parameters_[i];
    const auto slot = static_cast<SQLUSMALLINT>(i + 1);
    SQLLEN* indicators = p.indicators.data() + first;
    const auto stride = static_cast<SQLLEN>(p.stride);
    // Texts, and the placeholder of all-null parameters, are bound from the packed buffer.
    const auto texts = [&] { return p.packed.data() + first * p.stride; };
    SQLRETURN rc = SQL_SUCCESS;
    switch (p.kind) {
      case Kind::kUnset:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, texts(),
                              1, indicators);
        break;
      case Kind::kText:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, p.stride, 0,
                              texts(), stride, indicators);
        break;
      case Kind::kBinary:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY, p.stride, 0,
                              texts(), stride, indicators);
        break;
      case Kind::kInteger:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                              p.integers.data() + first, 0, indicators);
        break;
      case Kind::kDouble:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                              p.doubles.data() + first, 0, indicators);
        break;
      case Kind::kDate:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, 0,
                              p.dates.data() + first, 0, indicators);
        break;
      case Kind::kTimestamp:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                              23, 3, p.timestamps.data() + first, 0, indicators);
        break;
    }
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  }
  return SQL_SUCCESS;
}

void ParameterBatch::Clear() {
  // The arrays keep their capacity (and the texts their buffers) for the next batch.
  for (Parameter& p : parameters_) {
    p.kind = Kind::kUnset;
    p.indicators.clear();
    p.integers.clear();
    p.doubles.clear();
    p.dates.clear();
    p.timestamps.clear();
  }
  tags_.clear();
  bytes_ = 0;
  packed_ = false;
}

}  // namespace zuna::sql::odbc
