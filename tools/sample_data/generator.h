#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/base/result.h"

namespace zuna::sample {

// The most rows a table may be asked for: far beyond any test or benchmark, far below what would
// fill a disk or wrap the header's 32-bit row count.
inline constexpr std::uint64_t kMaxRows = 10'000'000;

struct SampleOptions {
  std::uint64_t rows_per_table = 20;  // every table but personnel and installation
  std::uint64_t personnel_rows = 200;
  bool refused_rows = true;  // a few personnel rows the target refuses
};

// What GenerateSampleData wrote.
struct SampleSummary {
  std::uint64_t tables = 0;
  std::uint64_t rows = 0;  // every row written, deleted ones included
};

// Writes the 67 catalogued FoxPro tables into `folder`, deterministically. The folder is created
// when missing, but its parent must exist: a mistyped path is an error, not a new tree. Row
// counts above kMaxRows are refused. The tables hold
// realistic types and widths, memo remarks, some dates before 1900 and some blank, every 50th row
// marked deleted, trailing blanks in personnel codes, installation with one row, and a few
// personnel rows whose opr_date (a plain copy) lies before the target's datetime range, so the
// target refuses them.
Result<SampleSummary> GenerateSampleData(const std::filesystem::path& folder,
                                         const SampleOptions& options);

}  // namespace zuna::sample
