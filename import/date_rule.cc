#include "import/date_rule.h"

#include <cstdio>

namespace zuna::transfer {

std::string YearText(const Value& value) {
  if (value.kind() == ValueKind::kDate || value.kind() == ValueKind::kDateTime) {
    char year[16];
    std::snprintf(year, sizeof year, "%04d", value.date().year);
    return year;
  }
  const std::string text = value.ToText();
  // The last four characters, counted as characters, not bytes.
  std::size_t start = text.size();
  for (int kept = 0; start > 0 && kept < 4;) {
    --start;
    if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) ++kept;
  }
  return text.substr(start);
}

bool YearInRange(std::string_view year_text) {
  return year_text.compare(kLowestYear) >= 0 && year_text.compare(kHighestYear) <= 0;
}

DateRuleOutcome ApplyDateRule(const Value& value, bool with_null_test) {
  if (with_null_test && value.is_null()) return {true, false};
  if (value.kind() == ValueKind::kDate || value.kind() == ValueKind::kDateTime) {
    // The four-digit year compares as text exactly as it compares as a number.
    const int year = value.date().year;
    if (year >= 1900 && year <= 9999) return {false, false};
    return {true, true};
  }
  if (YearInRange(YearText(value))) return {false, false};
  return {true, true};
}

}  // namespace zuna::transfer
