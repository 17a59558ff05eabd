#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace zuna::sql::odbc {

// Values no driver writes: the status array and the processed count are filled with them before
// an array runs, to tell what a driver reported from what it left alone.
inline constexpr SQLUSMALLINT kStatusNotReported = 0xFFFF;
inline constexpr SQLULEN kCountNotReported = ~SQLULEN{0};

// What a driver said of an array it ran.
struct ArrayReport {
  bool all_saved = false;
  // When not all were saved: the first row that may have been refused, every row before it
  // having been saved; empty when the driver did not say.
  std::optional<std::size_t> first_refused;
};

// Reads the per-row statuses, the processed count and whether SQLExecute succeeded. Drivers that
// fill the status array are read by it; those that only count the rows they processed are read
// by the count, taking the row before the count as possibly refused, since drivers differ on
// whether the count takes in the refused row.
ArrayReport ReadArrayReport(const std::vector<SQLUSMALLINT>& statuses, SQLULEN processed,
                            bool executed);

}  // namespace zuna::sql::odbc
