#pragma once

#include "verify/import_log.h"
#include "verify/table_verifier.h"

namespace zuna::verify {

// Finds, among the missing rows and the extra rows that `result` keeps with their values, the
// pairs that differ in at most half of the compared columns (at least one), closest pairs first,
// and moves them into `result.changed_pairs`: a value changed on the way, or two rows whose
// values were swapped, shows as such instead of as one row missing and one extra. A pair whose
// every differing column the log lists as not assigned in that source row is counted as changed
// and logged, so accounted for. Extra rows that repeat a source row are left as they are.
void PairChangedRows(const TableLog& log, TableResult& result);

}  // namespace zuna::verify
