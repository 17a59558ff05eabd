#include "platform/dbf/field_values.h"

#include <cmath>
#include <cstdint>

#include "platform/base/byte_order.h"
#include "platform/dbf/dbf_format.h"
#include "platform/text/ascii.h"

namespace zuna::dbf {
namespace {

// Digits an exact decimal holds (its unscaled value is a 64-bit integer).
constexpr int kExactDigits = 18;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ReadDigits(std::string_view s, int& out) {
  int value = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  out = value;
  return true;
}

// The parts of a number text, found by its grammar: [sign] digits [. digits] [e [sign] digits].
struct NumberParts {
  std::string_view integer;
  std::string_view fraction;
  bool has_exponent = false;
};

bool SplitNumber(std::string_view text, NumberParts& parts) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  const std::size_t integer_start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  parts.integer = text.substr(integer_start, i - integer_start);
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction_start = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    parts.fraction = text.substr(fraction_start, i - fraction_start);
  }
  if (parts.integer.empty() && parts.fraction.empty()) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    parts.has_exponent = true;
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    const std::size_t exponent_start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == exponent_start) return false;
  }
  return i == text.size();
}

}  // namespace

ValueFault DecodeNumberText(std::string_view raw, Value& out) {
  out.SetNull();
  const std::string_view text = text::Trim(raw, format::kFieldPadding);
  if (text.empty()) return ValueFault::kNone;
  if (text.find_first_not_of('*') == std::string_view::npos) return ValueFault::kNumericOverflow;
  NumberParts parts;
  if (!SplitNumber(text, parts)) return ValueFault::kDataTypeMismatch;
  if (parts.has_exponent) {
    // The grammar was checked above: a number that still does not read lies beyond a double.
    if (!ParseNumberText(text, out)) {
      out.SetNull();
      return ValueFault::kNumericOverflow;
    }
    if (out.kind() == ValueKind::kDouble && !std::isfinite(out.number())) {
      out.SetNull();
      return ValueFault::kNumericOverflow;
    }
    return ValueFault::kNone;
  }
  std::string_view integer = parts.integer, fraction = parts.fraction;
  if (integer.size() + fraction.size() > kExactDigits) {
    // Padding zeros carry no digit of the value; without them it may still be exact.
    while (!integer.empty() && integer.front() == '0') integer.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    if (integer.size() + fraction.size() > kExactDigits) return ValueFault::kNumericOverflow;
  }
  std::int64_t unscaled = 0;
  for (char c : integer) unscaled = unscaled * 10 + (c - '0');
  for (char c : fraction) unscaled = unscaled * 10 + (c - '0');
  if (text.front() == '-') unscaled = -unscaled;
  if (fraction.empty()) {
    out.SetInteger(unscaled);
  } else {
    out.SetDecimal(unscaled, static_cast<int>(fraction.size()));
  }
  return ValueFault::kNone;
}

ValueFault DecodeDateText(std::string_view raw, Value& out) {
  out.SetNull();
  if (text::Trim(raw, format::kFieldPadding).empty() || raw == "00000000") return ValueFault::kNone;
  CivilDate date;
  if (raw.size() != 8 || !ReadDigits(raw.substr(0, 4), date.year) ||
      !ReadDigits(raw.substr(4, 2), date.month) || !ReadDigits(raw.substr(6, 2), date.day) ||
      date.year < 1 || !IsValidDate(date)) {
    return ValueFault::kInvalidDate;
  }
  out.SetDate(date);
  return ValueFault::kNone;
}

ValueFault DecodeDateTime(std::string_view raw, Value& out) {
  out.SetNull();
  if (raw.size() != 8) return ValueFault::kInvalidDate;
  const std::int32_t day = ReadLeInt32(raw.data());
  const std::int32_t ms = ReadLeInt32(raw.data() + 4);
  if (day == 0 || text::Trim(raw, format::kFieldPadding).empty()) return ValueFault::kNone;
  static const std::int64_t first_day = DaysFromCivil({1, 1, 1}) + format::kJulianDayOfUnixEpoch;
  static const std::int64_t last_day =
      DaysFromCivil({9999, 12, 31}) + format::kJulianDayOfUnixEpoch;
  if (day < first_day || day > last_day || ms < 0 || ms >= format::kMillisecondsPerDay) {
    return ValueFault::kInvalidDate;
  }
  const CivilDate date = CivilFromDays(day - format::kJulianDayOfUnixEpoch);
  CivilTime time;
  time.hour = ms / 3'600'000;
  time.minute = ms / 60'000 % 60;
  time.second = ms / 1000 % 60;
  time.millisecond = ms % 1000;
  out.SetDateTime(date, time);
  return ValueFault::kNone;
}

ValueFault DecodeLogical(char raw, Value& out) {
  switch (raw) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
      out.SetBoolean(true);
      return ValueFault::kNone;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
      out.SetBoolean(false);
      return ValueFault::kNone;
    case '?':
    case ' ':
    case '\0':
      out.SetNull();
      return ValueFault::kNone;
    default:
      out.SetNull();
      return ValueFault::kDataTypeMismatch;
  }
}

ValueFault DecodeDouble(std::string_view raw, Value& out) {
  out.SetNull();
  if (raw.size() != sizeof(double)) return ValueFault::kDataTypeMismatch;
  const double value = ReadLeDouble(raw.data());
  if (!std::isfinite(value)) return ValueFault::kDataTypeMismatch;
  out.SetDouble(value);
  return ValueFault::kNone;
}

}  // namespace zuna::dbf
