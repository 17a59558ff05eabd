#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/base/status.h"

namespace zuna::sample {

struct SampleOptions {
  std::uint64_t rows_per_table = 20;  // every table but personnel and installation
  std::uint64_t personnel_rows = 200;
  bool refused_rows = true;  // a few personnel rows the target refuses
};

// Writes the 67 catalogued FoxPro tables into `folder` (created if missing), deterministically:
// realistic types and widths, memo remarks, some dates before 1900 and some blank, every 50th row
// marked deleted, trailing blanks in personnel codes, installation with one row, and a few
// personnel rows whose opr_date (a plain copy) lies before the target's datetime range, so the
// target refuses them.
Status GenerateSampleData(const std::filesystem::path& folder, const SampleOptions& options);

}  // namespace zuna::sample
