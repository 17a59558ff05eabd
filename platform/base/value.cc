#include "platform/base/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace zuna {

Value Value::Text(std::string_view text) {
  Value v;
  v.SetText(text);
  return v;
}
Value Value::Binary(std::string_view bytes) {
  Value v;
  v.SetBinary(bytes);
  return v;
}
Value Value::Integer(std::int64_t number) {
  Value v;
  v.SetInteger(number);
  return v;
}
Value Value::Decimal(std::int64_t unscaled, int scale) {
  Value v;
  v.SetDecimal(unscaled, scale);
  return v;
}
Value Value::Double(double number) {
  Value v;
  v.SetDouble(number);
  return v;
}
Value Value::Boolean(bool flag) {
  Value v;
  v.SetBoolean(flag);
  return v;
}
Value Value::Date(CivilDate date) {
  Value v;
  v.SetDate(date);
  return v;
}
Value Value::DateTime(CivilDate date, CivilTime time) {
  Value v;
  v.SetDateTime(date, time);
  return v;
}

void Value::Assign(const Value& other) {
  kind_ = other.kind_;
  switch (other.kind_) {
    case ValueKind::kNull:
      return;
    case ValueKind::kText:
    case ValueKind::kBinary:
      bytes_.assign(other.bytes_);
      return;
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
    case ValueKind::kDecimal:
      integer_ = other.integer_;
      scale_ = other.scale_;
      return;
    case ValueKind::kDouble:
      double_ = other.double_;
      return;
    case ValueKind::kDate:
    case ValueKind::kDateTime:
      date_ = other.date_;
      time_ = other.time_;
      return;
  }
}

void Value::SetText(std::string_view text) {
  kind_ = ValueKind::kText;
  bytes_.assign(text.data(), text.size());
}
std::string& Value::MutableText() {
  kind_ = ValueKind::kText;
  bytes_.clear();
  return bytes_;
}
void Value::SetBinary(std::string_view bytes) {
  kind_ = ValueKind::kBinary;
  bytes_.assign(bytes.data(), bytes.size());
}
void Value::SetInteger(std::int64_t number) {
  kind_ = ValueKind::kInteger;
  integer_ = number;
}
void Value::SetDecimal(std::int64_t unscaled, int scale) {
  kind_ = ValueKind::kDecimal;
  integer_ = unscaled;
  scale_ = scale;
}
void Value::SetDouble(double number) {
  kind_ = ValueKind::kDouble;
  double_ = number;
}
void Value::SetBoolean(bool flag) {
  kind_ = ValueKind::kBoolean;
  integer_ = flag ? 1 : 0;
}
void Value::SetDate(CivilDate date) {
  kind_ = ValueKind::kDate;
  date_ = date;
  time_ = {};
}
void Value::SetDateTime(CivilDate date, CivilTime time) {
  kind_ = ValueKind::kDateTime;
  date_ = date;
  time_ = time;
}

double Value::AsDouble() const {
  switch (kind_) {
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      return static_cast<double>(integer_);
    case ValueKind::kDecimal: {
      double divisor = 1;
      for (int i = 0; i < scale_; ++i) divisor *= 10;
      return static_cast<double>(integer_) / divisor;
    }
    case ValueKind::kDouble:
      return double_;
    default:
      return 0;
  }
}

namespace {

void AppendTwoDigits(std::string& out, int n) {
  out.push_back(static_cast<char>('0' + (n / 10) % 10));
  out.push_back(static_cast<char>('0' + n % 10));
}

void AppendDate(std::string& out, CivilDate d) {
  AppendTwoDigits(out, d.day);
  out.push_back('/');
  AppendTwoDigits(out, d.month);
  out.push_back('/');
  char year[16];
  std::snprintf(year, sizeof year, "%04d", d.year);
  out += year;
}

}  // namespace

std::string FormatDouble(double number) {
  // Plain digits over the range a payroll value can take ("100000", "0.000125"); only beyond it
  // an exponent, where plain digits would run to hundreds of characters.
  constexpr double kPlainFrom = 1e-7;
  constexpr double kPlainBelow = 1e15;
  const double magnitude = std::fabs(number);
  const bool plain = number == 0 || (magnitude >= kPlainFrom && magnitude < kPlainBelow);
  char buffer[64];
  auto [end, ec] =
      plain ? std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, number);
  if (ec != std::errc()) return "0";
  return std::string(buffer, end);
}

std::string FormatDecimal(std::int64_t unscaled, int scale) {
  bool negative = unscaled < 0;
  // Work on the magnitude as unsigned so the most negative value does not overflow.
  std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(unscaled) + 1 : static_cast<std::uint64_t>(unscaled);
  std::string digits = std::to_string(magnitude);
  if (scale > 0) {
    if (digits.size() <= static_cast<std::size_t>(scale)) {
      digits.insert(0, static_cast<std::size_t>(scale) - digits.size() + 1, '0');
    }
    digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (negative && digits != "0") digits.insert(0, 1, '-');
  return digits;
}

void Value::AppendText(std::string& out) const {
  switch (kind_) {
    case ValueKind::kNull:
      return;
    case ValueKind::kText:
    case ValueKind::kBinary:
      out += bytes_;
      return;
    case ValueKind::kInteger:
      out += std::to_string(integer_);
      return;
    case ValueKind::kDecimal:
      out += FormatDecimal(integer_, scale_);
      return;
    case ValueKind::kDouble:
      out += FormatDouble(double_);
      return;
    case ValueKind::kBoolean:
      out += integer_ ? "True" : "False";
      return;
    case ValueKind::kDate:
      AppendDate(out, date_);
      return;
    case ValueKind::kDateTime:
      AppendDate(out, date_);
      if (time_.hour || time_.minute || time_.second) {
        out.push_back(' ');
        AppendTwoDigits(out, time_.hour);
        out.push_back(':');
        AppendTwoDigits(out, time_.minute);
        out.push_back(':');
        AppendTwoDigits(out, time_.second);
      }
      return;
  }
}

std::string Value::ToText() const {
  std::string out;
  AppendText(out);
  return out;
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case ValueKind::kNull:
      return true;
    case ValueKind::kText:
    case ValueKind::kBinary:
      return a.bytes_ == b.bytes_;
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      return a.integer_ == b.integer_;
    case ValueKind::kDecimal:
      return a.integer_ == b.integer_ && a.scale_ == b.scale_;
    case ValueKind::kDouble:
      return a.double_ == b.double_;
    case ValueKind::kDate:
      return a.date_ == b.date_;
    case ValueKind::kDateTime:
      return a.date_ == b.date_ && a.time_ == b.time_;
  }
  return false;
}

// Howard Hinnant's civil-calendar algorithms: exact for every proleptic Gregorian date.
std::int64_t DaysFromCivil(CivilDate date) {
  std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (date.month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

bool ParseNumberText(std::string_view text, Value& out) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\0')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  if (text.empty()) return false;
  bool negative = false;
  std::size_t i = 0;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    ++i;
  }
  std::int64_t unscaled = 0;
  int digits = 0;
  int scale = -1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && scale < 0) {
      scale = 0;
      continue;
    }
    if (c < '0' || c > '9') break;
    if (digits < 18) unscaled = unscaled * 10 + (c - '0');
    ++digits;
    if (scale >= 0) ++scale;
  }
  if (i == text.size() && digits > 0 && digits <= 18) {
    if (negative) unscaled = -unscaled;
    if (scale <= 0) {
      out.SetInteger(unscaled);
    } else {
      out.SetDecimal(unscaled, scale);
    }
    return true;
  }
  // Exponents, commas as decimal points and very long numbers, read as in the C locale whatever
  // the process's locale (a point is the decimal point), with leading white space and a plus
  // sign allowed as strtod allows them. A number beyond a double's range is no number, rather
  // than an infinity or a zero.
  std::string_view rest = text;
  while (!rest.empty() &&
         std::string_view(" \t\n\v\f\r").find(rest.front()) != std::string_view::npos) {
    rest.remove_prefix(1);
  }
  if (rest.starts_with('+')) {
    rest.remove_prefix(1);
    if (rest.starts_with('-')) return false;
  }
  std::string copy(rest);
  for (char& c : copy) {
    if (c == ',') c = '.';
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(copy.data(), copy.data() + copy.size(), value);
  if (ec != std::errc() || end != copy.data() + copy.size()) return false;
  out.SetDouble(value);
  return true;
}

bool IsValidDate(CivilDate date) {
  if (date.month < 1 || date.month > 12 || date.day < 1) return false;
  static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int limit = kDaysInMonth[date.month - 1];
  bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  if (date.month == 2 && leap) limit = 29;
  return date.day <= limit;
}

}  // namespace zuna
