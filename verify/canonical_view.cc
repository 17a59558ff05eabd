#include "verify/canonical_view.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace zuna::verify {
namespace {

using Kind = sql::ColumnType::Kind;

bool Digits(std::string_view s, std::size_t from, std::size_t count, int& out) {
  out = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// True when `text` is a date in the form the engine stores dates in, "yyyy-mm-dd", optionally
// followed by " hh:mm:ss" or " hh:mm:ss.fff", naming a real day and time of a year `type` holds.
// Such a text reads as that date and time, and its canonical form is the text itself (with the
// time of day completed for a datetime), so the caller copies it.
bool IsStoredIsoDate(std::string_view text, const sql::ColumnType& type) {
  if (text.size() != 10 && text.size() != 19 && text.size() != 23) return false;
  CivilDate date;
  if (!Digits(text, 0, 4, date.year) || text[4] != '-' || !Digits(text, 5, 2, date.month) ||
      text[7] != '-' || !Digits(text, 8, 2, date.day) || !IsValidDate(date) ||
      date.year < type.min_year || date.year > type.max_year) {
    return false;
  }
  if (text.size() == 10) return true;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  if (text[10] != ' ' || !Digits(text, 11, 2, hour) || text[13] != ':' ||
      !Digits(text, 14, 2, minute) || text[16] != ':' || !Digits(text, 17, 2, second) ||
      hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  return text.size() == 19 || (text[19] == '.' && Digits(text, 20, 3, millisecond));
}

// The decimal a double stands for in a column of scale `scale`, when it is that decimal to well
// within the 10 decimals the double is otherwise read with (as a text "12.3400000000"): a stored
// 12.34 is 1234 at scale 2. Read the long way, such a double gives the same digits, since its
// nearest ten-decimal text is that decimal. False where that is not certain (a double half-way
// at the column's scale such as 1.005, scales above 10, numbers beyond 2^53).
bool DecimalOfDouble(double d, int scale, std::int64_t& unscaled) {
  constexpr double kExact = 9007199254740992.0;  // 2^53
  if (scale < 0 || scale > 10) return false;
  double power = 1;
  for (int i = 0; i < scale; ++i) power *= 10;
  const double nearest = std::nearbyint(d * power);
  if (!(std::fabs(nearest) < kExact)) return false;
  // d * power - nearest with a single rounding: within a quarter of 10^-10 of d, the decimal is
  // the nearest ten-decimal text by far.
  if (!(std::fabs(std::fma(d, power, -nearest)) < 0.25e-10 * power)) return false;
  unscaled = static_cast<std::int64_t>(nearest);
  return true;
}

// |unscaled| < 10^precision.
bool WithinPrecision(std::int64_t unscaled, int precision) {
  if (unscaled == INT64_MIN) return false;
  if (precision > 18) return true;
  std::int64_t limit = 1;
  for (int i = 0; i < precision; ++i) limit *= 10;
  return unscaled < limit && -unscaled < limit;
}

}  // namespace

CanonicalState AppendStoredView(const sql::ColumnView& view, Kind column_kind,
                                const sql::ColumnType& type, std::string& out, Value& scratch) {
  using ViewKind = sql::ColumnView::Kind;
  if (view.kind == ViewKind::kNull) return CanonicalState::kNull;
  if (view.kind == ViewKind::kValue) return AppendStoredCanonical(*view.value, type, out);
  if (view.kind == ViewKind::kText) {
    const bool date_column = column_kind == Kind::kDate || column_kind == Kind::kDateTime;
    if (!date_column && type.kind == Kind::kText) {
      // The common case first: a varchar's text within its length in bytes is taken as it is.
      if (!type.fixed &&
          (type.length < 0 || view.bytes.size() <= static_cast<std::size_t>(type.length))) {
        out += view.bytes;
        return CanonicalState::kValue;
      }
      const std::size_t start = out.size();
      const CanonicalState state = AppendCanonicalText(view.bytes, type, out);
      if (state != CanonicalState::kUnstorable) return state;
      out.resize(start);
      out += view.bytes;
      return CanonicalState::kForeign;
    }
    if (date_column && column_kind == type.kind && IsStoredIsoDate(view.bytes, type)) {
      if (type.kind == Kind::kDate) {
        out += view.bytes.substr(0, 10);
      } else {
        out += view.bytes;
        if (view.bytes.size() == 10) out += " 00:00:00";
        if (view.bytes.size() != 23) out += ".000";
      }
      return CanonicalState::kValue;
    }
  }
  if (view.kind == ViewKind::kInteger) {
    // The numbers the engine stores as integers, written as AppendInteger and AppendBit do.
    if (type.kind == Kind::kBit) {
      out += view.integer != 0 ? '1' : '0';
      return CanonicalState::kValue;
    }
    if (type.kind == Kind::kInteger && view.integer >= type.min_integer &&
        view.integer <= type.max_integer) {
      char digits[24];
      const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, view.integer);
      out.append(digits, end);
      return CanonicalState::kValue;
    }
    // A whole amount in a decimal column (the engine stores 1500.00 as 1500): its digits and the
    // scale's zeros, without the 128-bit arithmetic a decimal of any size needs.
    if (type.kind == Kind::kDecimal && type.scale >= 0 && type.scale <= type.precision &&
        WithinPrecision(view.integer, type.precision - type.scale)) {
      char digits[24];
      const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, view.integer);
      out.append(digits, end);
      if (type.scale > 0) {
        out += '.';
        out.append(static_cast<std::size_t>(type.scale), '0');
      }
      return CanonicalState::kValue;
    }
  }
  std::int64_t unscaled = 0;
  if (view.kind == ViewKind::kDouble && type.kind == Kind::kDecimal &&
      DecimalOfDouble(view.number, type.scale, unscaled) &&
      WithinPrecision(unscaled, type.precision)) {
    // Within the column's precision: written as AppendDecimal writes a decimal at its scale.
    scratch.SetDecimal(unscaled, type.scale);
    return AppendStoredCanonical(scratch, type, out);
  }
  sql::ValueFromView(view, column_kind, scratch);
  return AppendStoredCanonical(scratch, type, out);
}

}  // namespace zuna::verify
