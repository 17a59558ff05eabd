#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/base/status.h"
#include "platform/files/file_env.h"
#include "verify/verify_run.h"

namespace zuna::verify {

// One line for a table: "personnel: 1000 source rows, 999 equal, 1 refused (logged), 0 missing,
// 0 extra, 0 changed", or what kept it from being compared.
std::string TableLine(const TableResult& table);

// Writes "verify_rpt" into `folder`: the verdict, then per table the counts (rows compared,
// equal, refused with a log line, missing without one, extra, changed) and the first
// `listed_rows` rows of each kind: refused rows with their log lines, missing rows with their
// values, extra rows with theirs, changed pairs with the columns that differ. Windows-1252 with
// CR LF like the tool's other reports; a character the code page lacks shows as '?'. Ok only
// when the whole file reached the disk.
Status WriteVerifyReport(const VerifySummary& summary, const std::filesystem::path& folder,
                         std::size_t listed_rows, files::FileEnv& env = files::FileEnv::Default());

}  // namespace zuna::verify
