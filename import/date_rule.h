#pragma once

#include <string>
#include <string_view>

#include "platform/base/value.h"

namespace zuna::transfer {

// The date every out-of-range or null date becomes, 01/01/1900, assigned as a date value.
inline constexpr CivilDate kReplacementDate = {1900, 1, 1};
inline constexpr std::string_view kLowestYear = "1900";
inline constexpr std::string_view kHighestYear = "9999";

// The year text of a value: for a date or datetime its four-digit year, so a datetime's time of
// day never pushes a valid date out of range; for anything else the last four characters of its
// text form, or the whole text when it is shorter. A null has the empty text.
std::string YearText(const Value& value);

// True when the year text lies between "1900" and "9999", both included, compared as text
// character by character (a text that is the beginning of the other is the smaller).
bool YearInRange(std::string_view year_text);

struct DateRuleOutcome {
  bool replaced = false;  // the target gets "01/01/1900" instead of the source value
  bool log = false;       // a replacement a logging entry writes down
};

// The date rule for one value. With the null test, a null is replaced without a log line;
// without it, a null is out of range like any other and is logged.
DateRuleOutcome ApplyDateRule(const Value& value, bool with_null_test);

}  // namespace zuna::transfer
