#include "import/field_rules.h"

#include <string>
#include <string_view>

#include "import/date_rule.h"
#include "platform/text/ascii.h"
#include "platform/text/encoding.h"

namespace zuna::transfer {
namespace {

constexpr std::size_t kTrimAndCutLength = 50;
constexpr std::string_view kNullText = "NULL";

// The replacement is a date, like the values it stands in for: a server reads it as the date it
// is, whatever its date order, and an array of the column's dates is not broken by a text.
const Value& ReplacementDate() {
  static const Value replacement = Value::Date(kReplacementDate);
  return replacement;
}

}  // namespace

RuleOutcome ApplyFieldRule(const FieldOperation& op, const Value& value, Value& scratch) {
  RuleOutcome outcome{&value, false};
  switch (op.rule) {
    case FieldRule::kCopy:
      break;
    case FieldRule::kNullAsEmptyText:
      if (value.is_null()) {
        scratch.SetText("");
        outcome.assigned = &scratch;
      }
      break;
    case FieldRule::kDateRule:
    case FieldRule::kDateRuleNoNullTest: {
      const DateRuleOutcome date = ApplyDateRule(value, op.rule == FieldRule::kDateRule);
      if (date.replaced) outcome.assigned = &ReplacementDate();
      outcome.log = date.log && op.logged;
      break;
    }
    case FieldRule::kTrimAndCut: {
      if (value.is_null()) break;
      const std::string untrimmed = value.ToText();
      const std::string_view trimmed = text::Trim(untrimmed);
      scratch.SetText(text::CodePointCount(trimmed) < kTrimAndCutLength
                          ? trimmed
                          : text::FirstCodePoints(untrimmed, kTrimAndCutLength));
      outcome.assigned = &scratch;
      break;
    }
    case FieldRule::kNullAsText:
      // A value that is not null is copied: leaving it out would lose it.
      if (value.is_null()) {
        scratch.SetText(kNullText);
        outcome.assigned = &scratch;
      }
      break;
  }
  return outcome;
}

}  // namespace zuna::transfer
