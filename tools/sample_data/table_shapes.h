#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sample_data/dbf_writer.h"

namespace zuna::sample {

// The columns of the FoxPro personnel table: 81 fields of realistic types and widths.
const std::vector<ColumnSpec>& PersonnelColumns();

// A deterministic personnel row: the stored texts of its 81 columns for row number `n`.
// About one row in 50 carries an out-of-range or blank date, as old data does.
std::vector<std::string> PersonnelRow(std::uint64_t n);

}  // namespace zuna::sample
