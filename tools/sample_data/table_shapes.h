#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/catalog.h"
#include "tools/sample_data/dbf_writer.h"

namespace zuna::sample {

// The FoxPro type and width of a catalogued column, by its name: the personnel table's own
// columns first (many tables share them), then the name's telling parts (_date, amt, _desc, ...).
ColumnSpec ShapeOf(std::string_view field);

// The columns of a catalogued table as the sample data writes them, in catalog order; ddo also
// gets a description column the import does not copy.
std::vector<ColumnSpec> ColumnsOf(const transfer::CatalogEntry& entry);

// Every catalogued table, in pass order.
std::vector<const transfer::CatalogEntry*> AllCatalogEntries();

// The columns of the FoxPro personnel table: 81 fields of realistic types and widths.
const std::vector<ColumnSpec>& PersonnelColumns();

// A deterministic personnel row: the stored texts of its 81 columns for row number `n`.
// About one row in 50 carries an out-of-range or blank date, as old data does.
std::vector<std::string> PersonnelRow(std::uint64_t n);

}  // namespace zuna::sample
