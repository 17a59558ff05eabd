#include "platform/sql/decimal.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/text/ascii.h"

namespace zuna::sql {

Int128 Pow10(int n) {
  Int128 v = 1;
  for (int i = 0; i < n; ++i) v *= 10;
  return v;
}

Int128 Rescale(const Decimal& d, int scale) {
  if (scale >= d.scale) return d.unscaled * Pow10(scale - d.scale);
  const Int128 divisor = Pow10(d.scale - scale);
  Int128 q = d.unscaled / divisor;
  const Int128 r = d.unscaled % divisor;
  if (r * 2 >= divisor) ++q;
  if (-r * 2 >= divisor) --q;
  return q;
}

bool ParseDecimalText(std::string_view s, Decimal& out) {
  s = text::Trim(s, text::kSpacesAndTabs);
  if (s.empty()) return false;
  bool negative = false;
  if (s.front() == '-' || s.front() == '+') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  Int128 unscaled = 0;
  int scale = -1, digits = 0;
  for (char c : s) {
    if (c == '.' && scale < 0) {
      scale = 0;
      continue;
    }
    if (c < '0' || c > '9' || digits >= kMaxPrecision) return false;
    unscaled = unscaled * 10 + (c - '0');
    ++digits;
    if (scale >= 0) ++scale;
  }
  if (digits == 0) return false;
  out.unscaled = negative ? -unscaled : unscaled;
  out.scale = scale < 0 ? 0 : scale;
  return true;
}

bool ToDecimal(const Value& v, Decimal& out) {
  switch (v.kind()) {
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      out = {v.integer(), 0};
      return true;
    case ValueKind::kDecimal:
      out = {v.integer(), v.scale()};
      return true;
    case ValueKind::kDouble: {
      if (!std::isfinite(v.number()) || std::fabs(v.number()) >= 1e27) return false;
      // Ten decimal places with a point, whatever the process's locale.
      char buffer[64];
      const auto [end, ec] =
          std::to_chars(buffer, buffer + sizeof buffer, v.number(), std::chars_format::fixed, 10);
      if (ec != std::errc()) return false;
      return ParseDecimalText(std::string_view(buffer, static_cast<std::size_t>(end - buffer)),
                              out);
    }
    case ValueKind::kText:
      return ParseDecimalText(v.text(), out);
    default:
      return false;
  }
}

int DigitCount(Int128 v) {
  int digits = 0;
  do {
    ++digits;
    v /= 10;
  } while (v != 0);
  return digits;
}

}  // namespace zuna::sql
