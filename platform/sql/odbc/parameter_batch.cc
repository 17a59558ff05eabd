#include "platform/sql/odbc/parameter_batch.h"

#include <algorithm>
#include <cstring>

namespace zuna::sql::odbc {

namespace {

// What a value that is not text costs in the batch's memory, for its size bound.
constexpr std::size_t kFixedValueBytes = 16;

}  // namespace

ParameterBatch::ParameterBatch(std::vector<ColumnType::Kind> columns)
    : parameters_(columns.size()) {
  for (std::size_t i = 0; i < columns.size(); ++i) parameters_[i].column = columns[i];
}

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

ParameterBatch::Kind ParameterBatch::KindFor(const Value& value, ColumnType::Kind column) {
  const Kind own = KindOf(value);
  if (own == Kind::kUnset) return own;
  const ValueKind v = value.kind();
  // Doubles as exact as a 64-bit integer's digits.
  constexpr std::int64_t kExactInDouble = std::int64_t{1} << 53;
  switch (column) {
    case ColumnType::Kind::kText:
      return v == ValueKind::kBinary ? own : Kind::kText;
    case ColumnType::Kind::kDecimal:
      return v == ValueKind::kInteger ? Kind::kText : own;  // texts and decimals are text already
    case ColumnType::Kind::kInteger:
    case ColumnType::Kind::kBit:
      return v == ValueKind::kDecimal && value.scale() == 0 ? Kind::kInteger : own;
    case ColumnType::Kind::kFloat:
      return v == ValueKind::kInteger && value.integer() <= kExactInDouble &&
                     value.integer() >= -kExactInDouble
                 ? Kind::kDouble
                 : own;
    case ColumnType::Kind::kDateTime:
      return v == ValueKind::kDate ? Kind::kTimestamp : own;
    case ColumnType::Kind::kDate:
    case ColumnType::Kind::kOther:
      break;
  }
  return own;
}

bool ParameterBatch::Add(const std::vector<int>& assigned, const std::vector<const Value*>& values,
                         std::uint64_t tag) {
  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    const Value& value = *values[static_cast<std::size_t>(assigned[i])];
    const Kind kind = KindFor(value, parameters_[i].column);
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

void ParameterBatch::Reserve(Parameter& p, std::size_t rows) {
  const std::size_t bytes = rows * std::max(p.stride, kMinElementBytes);
  const std::size_t words = (bytes + sizeof(Word) - 1) / sizeof(Word);
  if (p.bound.size() < words) p.bound.resize(words);
}

void ParameterBatch::Store(Parameter& p, std::size_t row, const Value& value) {
  const Kind kind = KindFor(value, p.column);
  if (p.kind == Kind::kUnset && kind != Kind::kUnset) {
    p.kind = kind;
    if (kind == Kind::kBinary) p.binary_length = value.text().size();
    switch (kind) {
      case Kind::kInteger:
        p.stride = sizeof(std::int64_t);
        break;
      case Kind::kDouble:
        p.stride = sizeof(double);
        break;
      case Kind::kDate:
        p.stride = sizeof(SQL_DATE_STRUCT);
        break;
      case Kind::kTimestamp:
        p.stride = sizeof(SQL_TIMESTAMP_STRUCT);
        break;
      default:
        break;  // texts get theirs when laid out
    }
  }
  p.indicators.resize(row + 1);
  SQLLEN& indicator = p.indicators[row];
  // Every row has a slot in its parameter's storage, nulls too.
  if (p.kind == Kind::kText || p.kind == Kind::kBinary) {
    if (p.texts.size() <= row) p.texts.resize(row + 1);
    p.texts[row].clear();
  } else if (p.kind != Kind::kUnset) {
    Reserve(p, row + 1);
  }
  if (kind == Kind::kUnset) {
    indicator = SQL_NULL_DATA;
    bytes_ += kFixedValueBytes;
    return;
  }
  indicator = 0;
  const auto slot = [&] { return reinterpret_cast<char*>(p.bound.data()) + row * p.stride; };
  switch (kind) {
    case Kind::kUnset:
      break;
    case Kind::kText:
    case Kind::kBinary: {
      std::string& text = p.texts[row];
      if (value.kind() == ValueKind::kText || value.kind() == ValueKind::kBinary) {
        text.assign(value.text());
      } else {
        value.AppendText(text);  // a number or a date as the embedded engine writes it
      }
      indicator = static_cast<SQLLEN>(text.size());
      bytes_ += text.size();
      return;
    }
    case Kind::kInteger: {
      const std::int64_t number = value.integer();
      std::memcpy(slot(), &number, sizeof number);
      break;
    }
    case Kind::kDouble: {
      const double number = value.kind() == ValueKind::kDouble
                                ? value.number()
                                : static_cast<double>(value.integer());
      std::memcpy(slot(), &number, sizeof number);
      break;
    }
    case Kind::kDate: {
      const SQL_DATE_STRUCT date = {static_cast<SQLSMALLINT>(value.date().year),
                                    static_cast<SQLUSMALLINT>(value.date().month),
                                    static_cast<SQLUSMALLINT>(value.date().day)};
      std::memcpy(slot(), &date, sizeof date);
      break;
    }
    case Kind::kTimestamp: {
      // A date goes in at midnight.
      const CivilTime time = value.kind() == ValueKind::kDateTime ? value.time() : CivilTime{};
      const SQL_TIMESTAMP_STRUCT timestamp = {
          static_cast<SQLSMALLINT>(value.date().year),
          static_cast<SQLUSMALLINT>(value.date().month),
          static_cast<SQLUSMALLINT>(value.date().day),
          static_cast<SQLUSMALLINT>(time.hour),
          static_cast<SQLUSMALLINT>(time.minute),
          static_cast<SQLUSMALLINT>(time.second),
          static_cast<SQLUINTEGER>(time.millisecond) * 1'000'000u};
      std::memcpy(slot(), &timestamp, sizeof timestamp);
      break;
    }
  }
  bytes_ += kFixedValueBytes;
}

void ParameterBatch::Pack(Parameter& p) {
  const std::size_t rows = tags_.size();
  if (p.kind == Kind::kUnset) {
    // A buffer for a parameter whose values are all null: drivers want one all the same.
    p.stride = kMinElementBytes;
    p.widest = 1;
    p.bound.assign((rows * p.stride + sizeof(Word) - 1) / sizeof(Word), 0);
    return;
  }
  if (p.kind != Kind::kText && p.kind != Kind::kBinary) return;  // laid out as they were added
  // A null row's text may be left from an earlier batch: only its indicator counts.
  std::size_t widest = 1;
  for (std::size_t r = 0; r < rows; ++r) {
    if (p.indicators[r] != SQL_NULL_DATA) widest = std::max(widest, p.texts[r].size());
  }
  p.widest = widest;
  // Room for a terminator after the longest value, rounded up to keep every row aligned.
  p.stride = (widest + 1 + sizeof(Word) - 1) / sizeof(Word) * sizeof(Word);
  p.bound.assign(rows * p.stride / sizeof(Word), 0);
  char* base = reinterpret_cast<char*>(p.bound.data());
  for (std::size_t r = 0; r < rows; ++r) {
    if (p.indicators[r] == SQL_NULL_DATA) continue;
    std::memcpy(base + r * p.stride, p.texts[r].data(), p.texts[r].size());
  }
}

SQLRETURN ParameterBatch::Bind(SQLHSTMT stmt, std::size_t first) {
  if (!packed_) {
    for (Parameter& p : parameters_) Pack(p);
    packed_ = true;
  }
  // MariaDB's driver keeps, from a row sent on its own, the address it read each text from, and
  // takes an array later bound at that same address for a buffer of its own: it writes a
  // pointer per row into it and sends those bytes as the texts. Releasing the bindings clears
  // what it kept.
  SQLRETURN rc = SQLFreeStmt(stmt, SQL_RESET_PARAMS);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  for (std::size_t i = 0; i < parameters_.size(); ++i) {
    Parameter& p = parameters_[i];
    const auto slot = static_cast<SQLUSMALLINT>(i + 1);
    SQLLEN* indicators = p.indicators.data() + first;
    SQLPOINTER data = reinterpret_cast<char*>(p.bound.data()) + first * p.stride;
    if (first * p.stride % sizeof(Word) != 0) {
      const std::size_t bytes = (tags_.size() - first) * p.stride;
      p.window.assign(
          (std::max(bytes, (tags_.size() - first) * kMinElementBytes) + sizeof(Word) - 1) /
              sizeof(Word),
          0);
      std::memcpy(p.window.data(), data, bytes);
      data = p.window.data();
    }
    const auto length = static_cast<SQLLEN>(p.stride);
    switch (p.kind) {
      case Kind::kUnset:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, data,
                              length, indicators);
        break;
      case Kind::kText:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, p.widest, 0,
                              data, length, indicators);
        break;
      case Kind::kBinary:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY, p.widest, 0,
                              data, length, indicators);
        break;
      case Kind::kInteger:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, data, 0,
                              indicators);
        break;
      case Kind::kDouble:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, data, 0,
                              indicators);
        break;
      case Kind::kDate:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, 0,
                              data, 0, indicators);
        break;
      case Kind::kTimestamp:
        rc = SQLBindParameter(stmt, slot, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                              23, 3, data, 0, indicators);
        break;
    }
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  }
  return SQL_SUCCESS;
}

void ParameterBatch::Clear() {
  // The buffers keep their capacity (and the texts theirs) for the next batch.
  for (Parameter& p : parameters_) {
    p.kind = Kind::kUnset;
    p.indicators.clear();
    p.bound.clear();
    p.stride = 0;
    p.widest = 0;
    p.binary_length = 0;
  }
  tags_.clear();
  bytes_ = 0;
  packed_ = false;
}

}  // namespace zuna::sql::odbc
