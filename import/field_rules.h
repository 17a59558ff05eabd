#pragma once

#include "import/catalog.h"
#include "platform/base/value.h"

namespace zuna::transfer {

// What a field operation assigns for one source value.
struct RuleOutcome {
  const Value* assigned = nullptr;
  bool log = false;  // a replaced date that the entry writes to its anomaly log
};

// Applies the rule of `op` to the source value `value`: the value itself, `replacement` for a date
// the date rule replaces, or a value made in `scratch` (which must live until the row is saved).
RuleOutcome ApplyFieldRule(const FieldOperation& op, const Value& value, const Value& replacement,
                           Value& scratch);

}  // namespace zuna::transfer
