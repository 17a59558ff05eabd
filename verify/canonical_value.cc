#include "verify/canonical_value.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/text/ascii.h"
#include "platform/text/encoding.h"

namespace zuna::verify {
namespace {

using Kind = sql::ColumnType::Kind;
// GCC and Clang both offer a 128-bit integer; a decimal of 38 digits needs it.
__extension__ typedef __int128 Wide;

constexpr int kMaxDigits = 38;
// A double becomes a decimal through its text with this many decimals, as the save path reads it.
constexpr int kDoubleDecimals = 10;
// The day SQL Server counts from: an empty text and day number 0.
constexpr CivilDate kBaseDate{1900, 1, 1};

CanonicalState Unstorable(std::string_view why, std::string& out) {
  out += why;
  return CanonicalState::kUnstorable;
}

Wide PowerOfTen(int n) {
  Wide v = 1;
  for (int i = 0; i < n; ++i) v *= 10;
  return v;
}

void AppendWide(Wide v, std::string& out) {
  // Nearly every value fits 64 bits, where the digits cost one machine division each instead of
  // a 128-bit one.
  if (v >= INT64_MIN && v <= INT64_MAX) {
    char digits[24];
    const auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::int64_t>(v));
    out.append(digits, end);
    return;
  }
  if (v < 0) {
    out += '-';
    v = -v;
  }
  char digits[48];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
    v /= 10;
  } while (v != 0);
  while (n > 0) out += digits[--n];
}

// [sign] digits [. digits], blanks and tabs around; at most 38 digits.
bool ReadDecimalText(std::string_view s, Wide& unscaled, int& scale) {
  s = text::Trim(s, text::kSpacesAndTabs);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  unscaled = 0;
  scale = -1;
  int digits = 0;
  for (const char c : s) {
    if (c == '.' && scale < 0) {
      scale = 0;
      continue;
    }
    if (c < '0' || c > '9' || digits == kMaxDigits) return false;
    unscaled = unscaled * 10 + (c - '0');
    ++digits;
    if (scale >= 0) ++scale;
  }
  if (digits == 0) return false;
  if (negative) unscaled = -unscaled;
  if (scale < 0) scale = 0;
  return true;
}

bool ReadDecimal(const Value& value, Wide& unscaled, int& scale) {
  switch (value.kind()) {
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      unscaled = value.integer();
      scale = 0;
      return true;
    case ValueKind::kDecimal:
      unscaled = value.integer();
      scale = value.scale();
      return true;
    case ValueKind::kDouble: {
      if (!std::isfinite(value.number()) || std::fabs(value.number()) >= 1e27) return false;
      char buffer[64];
      const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.number(),
                                           std::chars_format::fixed, kDoubleDecimals);
      return ec == std::errc() &&
             ReadDecimalText(std::string_view(buffer, static_cast<std::size_t>(end - buffer)),
                             unscaled, scale);
    }
    case ValueKind::kText:
      return ReadDecimalText(value.text(), unscaled, scale);
    default:
      return false;
  }
}

// Fits the text appended to `out` from `start` on to a text column of `type`.
CanonicalState FitText(std::size_t start, const sql::ColumnType& type, std::string& out) {
  if (type.length < 0) return CanonicalState::kValue;
  const auto limit = static_cast<std::size_t>(type.length);
  const std::string_view written(out.data() + start, out.size() - start);
  // A text has no more characters than bytes: within the limit in bytes, only char(n) needs the
  // count.
  if (written.size() <= limit && !type.fixed) return CanonicalState::kValue;
  const std::size_t length = text::CodePointCount(written);
  if (length > limit) {
    const std::size_t keep = text::FirstCodePoints(written, limit).size();
    if (written.find_first_not_of(' ', keep) != std::string_view::npos) {
      out.resize(start);
      return Unstorable("longer than " + type.name + "(" + std::to_string(limit) + ")", out);
    }
    out.resize(start + keep);
  } else if (type.fixed) {
    out.append(limit - length, ' ');
  }
  return CanonicalState::kValue;
}

CanonicalState AppendText(const Value& value, const sql::ColumnType& type, std::string& out) {
  const std::size_t start = out.size();
  if (value.kind() == ValueKind::kText) {
    out += value.text();
  } else {
    value.AppendText(out);
  }
  return FitText(start, type, out);
}

CanonicalState AppendInteger(const Value& value, const sql::ColumnType& type, std::string& out) {
  Wide n = 0;
  switch (value.kind()) {
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      n = value.integer();
      break;
    case ValueKind::kDecimal:
      n = Wide{value.integer()} / PowerOfTen(value.scale());
      break;
    case ValueKind::kDouble:
      if (!std::isfinite(value.number()) || std::fabs(value.number()) > 9.3e18) {
        return Unstorable("out of range for " + type.name, out);
      }
      n = static_cast<Wide>(std::trunc(value.number()));
      break;
    case ValueKind::kText: {
      std::string_view t = text::Trim(value.text(), text::kSpacesAndTabs);
      if (t.starts_with('+')) t.remove_prefix(1);
      std::int64_t parsed = 0;
      const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), parsed);
      if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        return Unstorable("no number for " + type.name, out);
      }
      n = parsed;
      break;
    }
    default:
      return Unstorable("no number for " + type.name, out);
  }
  if (n < type.min_integer || n > type.max_integer) {
    return Unstorable("out of range for " + type.name, out);
  }
  AppendWide(n, out);
  return CanonicalState::kValue;
}

CanonicalState AppendDecimal(const Value& value, const sql::ColumnType& type, std::string& out) {
  Wide unscaled = 0;
  int scale = 0;
  if (!ReadDecimal(value, unscaled, scale)) return Unstorable("no number for " + type.name, out);
  if (scale <= type.scale) {
    unscaled *= PowerOfTen(type.scale - scale);
  } else {
    // Half away from zero.
    const Wide divisor = PowerOfTen(scale - type.scale);
    const Wide rest = unscaled % divisor;
    unscaled /= divisor;
    if (rest * 2 >= divisor) ++unscaled;
    if (-rest * 2 >= divisor) --unscaled;
  }
  const Wide limit = PowerOfTen(type.precision);
  if (unscaled >= limit || unscaled <= -limit) {
    return Unstorable("out of range for " + type.name + "(" + std::to_string(type.precision) + "," +
                          std::to_string(type.scale) + ")",
                      out);
  }
  const Wide unit = PowerOfTen(type.scale);
  const Wide magnitude = unscaled < 0 ? -unscaled : unscaled;
  if (unscaled < 0) out += '-';
  AppendWide(magnitude / unit, out);
  if (type.scale > 0) {
    // The fraction has at most 38 digits: written from the right, zeros in front.
    char decimals[kMaxDigits + 1];
    Wide fraction = magnitude % unit;
    for (int i = type.scale; i > 0; --i) {
      decimals[i] = static_cast<char>('0' + static_cast<int>(fraction % 10));
      fraction /= 10;
    }
    decimals[0] = '.';
    out.append(decimals, static_cast<std::size_t>(type.scale) + 1);
  }
  return CanonicalState::kValue;
}

void AppendDouble(double d, std::string& out) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
  out.append(buffer, ec == std::errc() ? end : buffer);
}

CanonicalState AppendFloat(const Value& value, const sql::ColumnType& type, std::string& out) {
  switch (value.kind()) {
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
    case ValueKind::kDecimal:
    case ValueKind::kDouble:
      AppendDouble(value.AsDouble(), out);
      return CanonicalState::kValue;
    case ValueKind::kText: {
      std::string_view t = text::Trim(value.text(), text::kSpacesAndTabs);
      const bool plus = t.starts_with('+');
      if (plus) t.remove_prefix(1);
      double d = 0;
      const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), d);
      if (t.empty() || (plus && t.starts_with('-')) || ec != std::errc() ||
          end != t.data() + t.size()) {
        return Unstorable("no number for " + type.name, out);
      }
      AppendDouble(d, out);
      return CanonicalState::kValue;
    }
    default:
      return Unstorable("no number for " + type.name, out);
  }
}

CanonicalState AppendBit(const Value& value, std::string& out) {
  switch (value.kind()) {
    case ValueKind::kBoolean:
    case ValueKind::kInteger:
      out += value.integer() != 0 ? '1' : '0';
      return CanonicalState::kValue;
    case ValueKind::kDecimal:
    case ValueKind::kDouble:
      out += value.AsDouble() != 0 ? '1' : '0';
      return CanonicalState::kValue;
    case ValueKind::kText: {
      const std::string t = text::LowerAscii(text::Trim(value.text(), text::kSpacesAndTabs));
      if (t == "true" || t == "1") {
        out += '1';
      } else if (t == "false" || t == "0") {
        out += '0';
      } else {
        return Unstorable("no logical", out);
      }
      return CanonicalState::kValue;
    }
    default:
      return Unstorable("no logical", out);
  }
}

// A run of 1 to `most` digits at `pos`, advancing it.
bool ReadDigits(std::string_view s, std::size_t& pos, int most, int& out) {
  const std::size_t start = pos;
  out = 0;
  while (pos < s.size() && pos - start < static_cast<std::size_t>(most) && s[pos] >= '0' &&
         s[pos] <= '9') {
    out = out * 10 + (s[pos++] - '0');
  }
  return pos > start;
}

// "dd/mm/yyyy", "dd-mm-yy", "yyyy-mm-dd", each optionally followed by a blank or 'T' and
// "hh:mm[:ss[.fff]]". Two-digit years below 50 are 20xx, others 19xx.
bool ReadDateText(std::string_view s, CivilDate& date, CivilTime& time) {
  s = text::Trim(s, text::kSpacesAndTabs);
  time = {};
  std::size_t pos = 0;
  int a = 0, b = 0, c = 0;
  if (!ReadDigits(s, pos, 4, a)) return false;
  const bool iso = pos == 4;
  if (pos >= s.size() || (s[pos] != '/' && s[pos] != '-')) return false;
  const char separator = s[pos++];
  if (!ReadDigits(s, pos, 2, b) || pos >= s.size() || s[pos++] != separator) return false;
  const std::size_t year_start = pos;
  if (!ReadDigits(s, pos, iso ? 2 : 4, c)) return false;
  if (iso) {
    date = {a, b, c};
  } else {
    const std::size_t year_digits = pos - year_start;
    if (year_digits != 2 && year_digits != 4) return false;
    date = {year_digits == 2 ? c + (c < 50 ? 2000 : 1900) : c, b, a};
  }
  if (pos < s.size()) {
    if (s[pos] != ' ' && s[pos] != 'T') return false;
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == 'T')) ++pos;
    int parts[3] = {0, 0, 0};
    int read = 0;
    while (read < 3 && ReadDigits(s, pos, 2, parts[read])) {
      ++read;
      if (read == 3 || pos >= s.size() || s[pos] != ':') break;
      ++pos;
    }
    if (read < 2) return false;
    time.hour = parts[0];
    time.minute = parts[1];
    time.second = parts[2];
    if (pos < s.size() && s[pos] == '.') {
      ++pos;
      for (int weight = 100; pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; weight /= 10) {
        time.millisecond += (s[pos++] - '0') * weight;
      }
    }
    if (pos != s.size() || time.hour > 23 || time.minute > 59 || time.second > 59) return false;
  }
  return IsValidDate(date);
}

// Writes `value` in `width` digits, zeros in front, at `at`.
void PutPadded(int value, int width, char* at) {
  for (int i = width - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

CanonicalState AppendDate(const Value& value, const sql::ColumnType& type, std::string& out) {
  CivilDate date;
  CivilTime time;
  switch (value.kind()) {
    case ValueKind::kDate:
    case ValueKind::kDateTime:
      date = value.date();
      if (value.kind() == ValueKind::kDateTime) time = value.time();
      break;
    case ValueKind::kText:
      if (text::Trim(value.text(), text::kSpacesAndTabs).empty()) {
        date = kBaseDate;
      } else if (!ReadDateText(value.text(), date, time)) {
        return Unstorable("no date", out);
      }
      break;
    case ValueKind::kInteger:
      date = CivilFromDays(DaysFromCivil(kBaseDate) + value.integer());
      break;
    default:
      return Unstorable("no date", out);
  }
  if (date.year < type.min_year || date.year > type.max_year) {
    return Unstorable("outside the years " + std::to_string(type.min_year) + " to " +
                          std::to_string(type.max_year) + " of " + type.name,
                      out);
  }
  // "yyyy-mm-dd hh:mm:ss.fff" built in place and appended at once.
  char iso[] = "0000-00-00 00:00:00.000";
  PutPadded(date.year, 4, iso);
  PutPadded(date.month, 2, iso + 5);
  PutPadded(date.day, 2, iso + 8);
  if (type.kind != Kind::kDateTime) {
    out.append(iso, 10);
    return CanonicalState::kValue;
  }
  PutPadded(time.hour, 2, iso + 11);
  PutPadded(time.minute, 2, iso + 14);
  PutPadded(time.second, 2, iso + 17);
  PutPadded(time.millisecond, 3, iso + 20);
  out.append(iso, sizeof iso - 1);
  return CanonicalState::kValue;
}

}  // namespace

CanonicalState AppendCanonical(const Value& value, const sql::ColumnType& type, std::string& out) {
  if (value.is_null()) return CanonicalState::kNull;
  switch (type.kind) {
    case Kind::kText:
      return AppendText(value, type, out);
    case Kind::kInteger:
      return AppendInteger(value, type, out);
    case Kind::kDecimal:
      return AppendDecimal(value, type, out);
    case Kind::kFloat:
      return AppendFloat(value, type, out);
    case Kind::kBit:
      return AppendBit(value, out);
    case Kind::kDate:
    case Kind::kDateTime:
      return AppendDate(value, type, out);
    case Kind::kOther:
      break;
  }
  value.AppendText(out);
  return CanonicalState::kValue;
}

CanonicalState AppendCanonicalText(std::string_view text, const sql::ColumnType& type,
                                   std::string& out) {
  const std::size_t start = out.size();
  out += text;
  return FitText(start, type, out);
}

CanonicalState AppendStoredCanonical(const Value& value, const sql::ColumnType& type,
                                     std::string& out) {
  const std::size_t start = out.size();
  const CanonicalState state = AppendCanonical(value, type, out);
  if (state != CanonicalState::kUnstorable) return state;
  out.resize(start);
  value.AppendText(out);
  return CanonicalState::kForeign;
}

std::string DisplayCanonical(const CanonicalValue& value) {
  switch (value.state) {
    case CanonicalState::kNull:
      return "NULL";
    case CanonicalState::kValue:
      return "'" + value.text + "'";
    case CanonicalState::kUnstorable:
      return "(unstorable: " + value.text + ")";
    case CanonicalState::kForeign:
      return "(not of the column's type: '" + value.text + "')";
    case CanonicalState::kUnreadable:
      return "(unreadable: " + value.text + ")";
  }
  return {};
}

}  // namespace zuna::verify
