#pragma once

#include <string_view>

#include "platform/base/value.h"

// Exact decimals of up to SQL Server's 38 digits, for the checks and the rounding of numeric
// columns.
namespace zuna::sql {

// GCC and Clang both offer a 128-bit integer, which 38 digits need.
__extension__ typedef __int128 Int128;

inline constexpr int kMaxPrecision = 38;

// An exact decimal: unscaled / 10^scale.
struct Decimal {
  Int128 unscaled = 0;
  int scale = 0;
};

// 10 to the power `n` (0 to 38).
Int128 Pow10(int n);

// The decimal digits of `v`; 1 for 0.
int DigitCount(Int128 v);

// `d` with `scale` decimal places, rounded half away from zero.
Int128 Rescale(const Decimal& d, int scale);

// Reads [sign] digits [. digits], blanks and tabs around it allowed, at most 38 digits; false
// for any other text.
bool ParseDecimalText(std::string_view s, Decimal& out);

// A number or a number's text as an exact decimal; a double is taken to ten decimal places,
// whatever the process's locale. False for a value that is none, or too large.
bool ToDecimal(const Value& v, Decimal& out);

}  // namespace zuna::sql
