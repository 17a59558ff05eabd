#pragma once

#include <cstdint>
#include <string_view>

#include "import/catalog.h"
#include "platform/base/value.h"

namespace zuna::transfer {

// What one field operation makes of the source value of its field.
struct RuleOutcome {
  // The value the target field receives: the source value itself, the replacement date, or a
  // value the rule made up in the caller's scratch value.
  const Value* assigned = nullptr;
  // A replaced date that the entry's anomaly log writes down.
  bool log = false;
};

// Applies `op`'s rule (plain copy, date rule with or without its null test, trim and cut, null
// as "NULL", null as empty text) to `value`, the source value of the field. A value the rule
// makes up is written into `scratch`, which must outlive the use of the outcome. The import's
// copy and the verification both assign through this one function, so they cannot disagree on
// what a rule does.
RuleOutcome ApplyFieldRule(const FieldOperation& op, const Value& value, Value& scratch);

// The installation step after the last pass: when the FoxPro installation table holds fewer than
// kMarkBelow rows, every row of the target's installation table gets kMarkedValue in
// kMarkedField ("update installation set dbf_type='SqlServer'"); otherwise the operator is warned
// and nothing is marked.
inline constexpr std::string_view kInstallationTable = "installation";
inline constexpr std::string_view kMarkedField = "dbf_type";
inline constexpr std::string_view kMarkedValue = "SqlServer";
inline constexpr std::int64_t kMarkBelow = 2;
// The step the failure log names when the count could not be read (nothing is marked then).
inline constexpr std::string_view kCountStep = "count";

}  // namespace zuna::transfer
