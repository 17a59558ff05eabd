#pragma once

#include <string_view>

#include "platform/base/value.h"
#include "platform/dbf/dbf_errors.h"

// Decoders of the fixed-width values a record holds. Each sets `out` and returns
// ValueFault::kNone, or leaves `out` null and says why the stored bytes are no value. Blank
// values (and '?' logicals) are null by design and no fault; nothing is ever guessed.
namespace zuna::dbf {

// N and F: ASCII digits, right-aligned in blanks, an optional sign, at most one point and an
// optional exponent. The asterisks FoxPro writes for a number that did not fit, and numbers of
// more significant digits than an exact decimal keeps, are an overflow; commas, inner blanks and
// anything else are a type mismatch.
ValueFault DecodeNumberText(std::string_view raw, Value& out);

// D: yyyymmdd of a date that exists, years 1 to 9999. Blanks and 00000000 are null.
ValueFault DecodeDateText(std::string_view raw, Value& out);

// T: a 4-byte Julian day and 4-byte milliseconds since midnight, both little-endian. Day 0 or
// blanks are null; a day outside the years 1 to 9999 or a time past midnight is invalid.
ValueFault DecodeDateTime(std::string_view raw, Value& out);

// L: T, t, Y, y are true; F, f, N, n false; '?', blank or NUL unknown (null), never false.
ValueFault DecodeLogical(char raw, Value& out);

// B of Visual FoxPro: an 8-byte little-endian double; NaN and infinities are no stored number.
ValueFault DecodeDouble(std::string_view raw, Value& out);

}  // namespace zuna::dbf
