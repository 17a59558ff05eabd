#include "platform/sql/column_type.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/sql/date_text.h"
#include "platform/sql/decimal.h"
#include "platform/sql/sql_errors.h"
#include "platform/text/ascii.h"
#include "platform/text/encoding.h"

namespace zuna::sql {
namespace {

std::string TypeLabel(const ColumnType& type) {
  return type.name.empty() ? std::string("the column type") : type.name;
}

Status ConversionFailed(const Value& value, const ColumnType& type) {
  if (value.kind() == ValueKind::kText) {
    return Refused(kErrTypeConversion, "Conversion failed when converting the varchar value '" +
                                           value.text() + "' to data type " + TypeLabel(type) +
                                           ".");
  }
  return Refused(kErrTypeConversion, "Conversion failed when converting the value '" +
                                         value.ToText() + "' to data type " + TypeLabel(type) +
                                         ".");
}

Status Overflow(const ColumnType& type) {
  return Refused(
      kErrArithmeticOverflow,
      "Arithmetic overflow error converting expression to data type " + TypeLabel(type) + ".");
}

Result<Value> ToText(const Value& value, const ColumnType& type, std::string_view column) {
  std::string text = value.kind() == ValueKind::kText ? value.text() : value.ToText();
  if (type.length >= 0) {
    const std::size_t length = text::CodePointCount(text);
    const auto limit = static_cast<std::size_t>(type.length);
    if (length > limit) {
      const std::size_t keep = text::FirstCodePoints(text, limit).size();
      // Like SQL Server, only trailing blanks may be cut without an error.
      if (text.find_first_not_of(' ', keep) != std::string::npos) {
        return Refused(kErrTruncation, "String or binary data would be truncated in column '" +
                                           std::string(column) + "' (" + std::to_string(length) +
                                           " characters into " + std::to_string(limit) + ").");
      }
      text.resize(keep);
    } else if (type.fixed) {
      text.append(limit - length, ' ');
    }
  }
  return Value::Text(text);
}

Result<Value> ToInteger(const Value& value, const ColumnType& type) {
  Int128 n = 0;
  switch (value.kind()) {
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      n = value.integer();
      break;
    case ValueKind::kDecimal:
      n = Int128{value.integer()} / Pow10(value.scale());  // SQL Server truncates
      break;
    case ValueKind::kDouble:
      if (!std::isfinite(value.number()) || std::fabs(value.number()) > 9.3e18) {
        return Overflow(type);
      }
      n = static_cast<Int128>(std::trunc(value.number()));
      break;
    case ValueKind::kText: {
      const std::string_view t = text::Trim(value.text(), text::kSpacesAndTabs);
      std::int64_t parsed = 0;
      const char* begin = t.data() + (!t.empty() && t.front() == '+' ? 1 : 0);
      auto [end, ec] = std::from_chars(begin, t.data() + t.size(), parsed);
      if (ec == std::errc::result_out_of_range) return Overflow(type);
      if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        return ConversionFailed(value, type);
      }
      n = parsed;
      break;
    }
    default:
      return ConversionFailed(value, type);
  }
  if (n < type.min_integer || n > type.max_integer) return Overflow(type);
  return Value::Integer(static_cast<std::int64_t>(n));
}

Result<Value> ToDecimalColumn(const Value& value, const ColumnType& type) {
  Decimal d;
  if (!ToDecimal(value, d)) return ConversionFailed(value, type);
  // Digits above the point decide an overflow before any arithmetic that could itself overflow.
  if (DigitCount(d.unscaled) - d.scale > type.precision - type.scale) {
    return Refused(kErrArithmeticOverflow, "Arithmetic overflow error converting " +
                                               TypeLabel(type) + " to data type numeric.");
  }
  const Int128 unscaled = Rescale(d, type.scale);
  const Int128 limit = Pow10(type.precision);
  if (unscaled >= limit || unscaled <= -limit) {
    return Refused(kErrArithmeticOverflow, "Arithmetic overflow error converting " +
                                               TypeLabel(type) + " to data type numeric.");
  }
  if (unscaled % Pow10(type.scale) == 0) {
    const Int128 whole = unscaled / Pow10(type.scale);
    if (whole >= std::numeric_limits<std::int64_t>::min() &&
        whole <= std::numeric_limits<std::int64_t>::max()) {
      return Value::Integer(static_cast<std::int64_t>(whole));
    }
  }
  return Value::Double(static_cast<double>(unscaled) / static_cast<double>(Pow10(type.scale)));
}

Result<Value> ToFloat(const Value& value, const ColumnType& type) {
  switch (value.kind()) {
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
    case ValueKind::kDecimal:
    case ValueKind::kDouble:
      return Value::Double(value.AsDouble());
    case ValueKind::kText: {
      // Read as in the C locale; a number beyond a double's range is refused, as SQL Server
      // refuses it, rather than stored as an infinity or a zero.
      std::string_view text = text::Trim(value.text(), text::kSpacesAndTabs);
      const bool plus = text.starts_with('+');
      if (plus) text.remove_prefix(1);
      double d = 0;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
      if (text.empty() || (plus && text.starts_with('-')) || ec != std::errc() ||
          end != text.data() + text.size()) {
        return Refused(kErrTypeConversion,
                       "Error converting data type varchar to " + TypeLabel(type) + ".");
      }
      return Value::Double(d);
    }
    default:
      return ConversionFailed(value, type);
  }
}

Result<Value> ToBit(const Value& value, const ColumnType& type) {
  switch (value.kind()) {
    case ValueKind::kBoolean:
    case ValueKind::kInteger:
      return Value::Integer(value.integer() != 0 ? 1 : 0);
    case ValueKind::kDecimal:
    case ValueKind::kDouble:
      return Value::Integer(value.AsDouble() != 0 ? 1 : 0);
    case ValueKind::kText: {
      const std::string t = text::LowerAscii(text::Trim(value.text(), text::kSpacesAndTabs));
      if (t == "true" || t == "1") return Value::Integer(1);
      if (t == "false" || t == "0") return Value::Integer(0);
      return ConversionFailed(value, type);
    }
    default:
      return ConversionFailed(value, type);
  }
}

Result<Value> ToDate(const Value& value, const ColumnType& type) {
  CivilDate date;
  CivilTime time;
  switch (value.kind()) {
    case ValueKind::kDate:
    case ValueKind::kDateTime:
      date = value.date();
      time = value.time();
      break;
    case ValueKind::kText:
      if (text::Trim(value.text(), text::kSpacesAndTabs).empty()) {
        date = {1900, 1, 1};  // SQL Server reads an empty text as its base date
      } else if (!ParseDateText(value.text(), date, time)) {
        return Refused(kErrDateConversion,
                       "Conversion failed when converting date and/or time from character "
                       "string.");
      }
      break;
    case ValueKind::kInteger:
      // A number of days from SQL Server's base date, 1900-01-01.
      date = CivilFromDays(DaysFromCivil({1900, 1, 1}) + value.integer());
      break;
    default:
      return ConversionFailed(value, type);
  }
  if (date.year < type.min_year || date.year > type.max_year) {
    return Refused(kErrDateOutOfRange,
                   "The conversion of a " +
                       std::string(value.kind() == ValueKind::kText ? "varchar" : "date") +
                       " data type to a " + TypeLabel(type) +
                       " data type resulted in an out-of-range value.");
  }
  if (type.kind == ColumnType::Kind::kDate) return Value::Text(FormatStoredDate(date));
  return Value::Text(FormatStoredDateTime(date, time));
}

}  // namespace

ColumnType ParseColumnType(std::string_view declared) {
  ColumnType type;
  const std::string lower = text::LowerAscii(text::Trim(declared, text::kSpacesAndTabs));
  const std::size_t open = lower.find('(');
  type.name =
      std::string(text::Trim(std::string_view(lower).substr(0, open), text::kSpacesAndTabs));
  std::string_view args;
  if (open != std::string::npos) {
    const std::size_t close = lower.find(')', open);
    args = std::string_view(lower).substr(
        open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  }
  int first = -1, second = -1;
  const std::size_t comma = args.find(',');
  text::ParseInt(args.substr(0, comma), first);
  if (comma != std::string_view::npos) text::ParseInt(args.substr(comma + 1), second);

  const std::string& n = type.name;
  if (n == "char" || n == "nchar" || n == "character") {
    type.kind = ColumnType::Kind::kText;
    type.fixed = true;
    type.length = first > 0 ? first : 1;
  } else if (n == "varchar" || n == "nvarchar" || n == "character varying") {
    type.kind = ColumnType::Kind::kText;
    type.length = args == "max" ? -1 : (first > 0 ? first : 1);
  } else if (n == "text" || n == "ntext" || n == "clob") {
    type.kind = ColumnType::Kind::kText;
  } else if (n == "int" || n == "integer") {
    type.kind = ColumnType::Kind::kInteger;
    type.min_integer = std::numeric_limits<std::int32_t>::min();
    type.max_integer = std::numeric_limits<std::int32_t>::max();
  } else if (n == "bigint") {
    type.kind = ColumnType::Kind::kInteger;
    type.min_integer = std::numeric_limits<std::int64_t>::min();
    type.max_integer = std::numeric_limits<std::int64_t>::max();
  } else if (n == "smallint") {
    type.kind = ColumnType::Kind::kInteger;
    type.min_integer = std::numeric_limits<std::int16_t>::min();
    type.max_integer = std::numeric_limits<std::int16_t>::max();
  } else if (n == "tinyint") {
    type.kind = ColumnType::Kind::kInteger;
    type.min_integer = 0;
    type.max_integer = 255;
  } else if (n == "decimal" || n == "numeric") {
    // SQL Server's bounds: a precision of 1 to 38 and a scale of at most the precision.
    type.kind = ColumnType::Kind::kDecimal;
    type.precision = first > 0 ? std::min(first, kMaxPrecision) : 18;
    type.scale = second >= 0 ? std::min(second, type.precision) : 0;
  } else if (n == "money") {
    type.kind = ColumnType::Kind::kDecimal;
    type.precision = 19;
    type.scale = 4;
  } else if (n == "smallmoney") {
    type.kind = ColumnType::Kind::kDecimal;
    type.precision = 10;
    type.scale = 4;
  } else if (n == "float" || n == "real" || n == "double" || n == "double precision") {
    type.kind = ColumnType::Kind::kFloat;
  } else if (n == "bit") {
    type.kind = ColumnType::Kind::kBit;
  } else if (n == "date") {
    type.kind = ColumnType::Kind::kDate;
  } else if (n == "datetime") {
    type.kind = ColumnType::Kind::kDateTime;
    type.min_year = 1753;
  } else if (n == "datetime2") {
    type.kind = ColumnType::Kind::kDateTime;
  } else if (n == "smalldatetime") {
    type.kind = ColumnType::Kind::kDateTime;
    type.min_year = 1900;
    type.max_year = 2079;
  }
  return type;
}

Status ConvertForColumn(const Value& value, const ColumnType& type, std::string_view column,
                        Value& out) {
  // The common cases of an import convert in place, without building a new value.
  if (value.is_null() || type.kind == ColumnType::Kind::kOther) {
    out = value;
    return Status::Ok();
  }
  if (type.kind == ColumnType::Kind::kText && value.kind() == ValueKind::kText &&
      (type.length < 0 ||
       (!type.fixed && value.text().size() <= static_cast<std::size_t>(type.length)))) {
    out.SetText(value.text());
    return Status::Ok();
  }
  if ((type.kind == ColumnType::Kind::kDate || type.kind == ColumnType::Kind::kDateTime) &&
      (value.kind() == ValueKind::kDate || value.kind() == ValueKind::kDateTime) &&
      value.date().year >= type.min_year && value.date().year <= type.max_year) {
    std::string& text = out.MutableText();
    if (type.kind == ColumnType::Kind::kDate) {
      AppendStoredDate(text, value.date());
    } else {
      AppendStoredDateTime(text, value.date(), value.time());
    }
    return Status::Ok();
  }
  if (type.kind == ColumnType::Kind::kDecimal &&
      (value.kind() == ValueKind::kDecimal || value.kind() == ValueKind::kInteger)) {
    const int scale = value.kind() == ValueKind::kDecimal ? value.scale() : 0;
    // Digits above the point may not exceed precision - scale; fewer decimals need no rounding.
    if (scale <= type.scale && type.precision - type.scale + scale <= 18) {
      std::int64_t limit = 1;
      for (int i = 0; i < type.precision - type.scale + scale; ++i) limit *= 10;
      if (value.integer() < limit && value.integer() > -limit) {
        out = value;
        return Status::Ok();
      }
    }
  }
  if (type.kind == ColumnType::Kind::kBit && value.kind() == ValueKind::kBoolean) {
    out.SetInteger(value.integer());
    return Status::Ok();
  }
  auto converted = ConvertForColumn(value, type, column);
  if (!converted.ok()) return converted.status();
  out = std::move(converted).value();
  return Status::Ok();
}

Result<Value> ConvertForColumn(const Value& value, const ColumnType& type,
                               std::string_view column) {
  if (value.is_null()) return value;
  switch (type.kind) {
    case ColumnType::Kind::kOther:
      return value;
    case ColumnType::Kind::kText:
      return ToText(value, type, column);
    case ColumnType::Kind::kInteger:
      return ToInteger(value, type);
    case ColumnType::Kind::kDecimal:
      return ToDecimalColumn(value, type);
    case ColumnType::Kind::kFloat:
      return ToFloat(value, type);
    case ColumnType::Kind::kBit:
      return ToBit(value, type);
    case ColumnType::Kind::kDate:
    case ColumnType::Kind::kDateTime:
      return ToDate(value, type);
  }
  return value;
}

bool StoresUnchanged(const Value& value, const ColumnType& type) {
  switch (value.kind()) {
    case ValueKind::kNull:
      return true;
    case ValueKind::kText:
      return type.kind == ColumnType::Kind::kOther ||
             (type.kind == ColumnType::Kind::kText &&
              (type.length < 0 ||
               (!type.fixed && value.text().size() <= static_cast<std::size_t>(type.length))));
    case ValueKind::kInteger:
      return type.kind == ColumnType::Kind::kOther ||
             (type.kind == ColumnType::Kind::kInteger && value.integer() >= type.min_integer &&
              value.integer() <= type.max_integer);
    case ValueKind::kDouble:
      return type.kind == ColumnType::Kind::kOther || type.kind == ColumnType::Kind::kFloat;
    default:
      return type.kind == ColumnType::Kind::kOther;
  }
}

}  // namespace zuna::sql
