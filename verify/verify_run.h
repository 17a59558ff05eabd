#pragma once

#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "verify/table_verifier.h"

namespace zuna::sources {
class DataSources;
}

namespace zuna::verify {

// The report of a verification in the program folder (Windows-1252, CR LF).
inline constexpr std::string_view kVerifyReportName = "verify_rpt";

// Told of each table as soon as it is compared (the command line prints a line).
class VerifyObserver {
 public:
  virtual ~VerifyObserver() = default;
  virtual void TableDone(const TableResult& result) = 0;
};

struct VerifySummary {
  std::vector<TableResult> tables;
  bool log_present = false;  // the import's failure log was there to explain losses
  // True when every table is accounted for (see TableResult::accounted_for).
  bool accounted_for() const;
};

// Compares every catalogued table, in the import's order, with the target "pay": each table
// whose FoxPro file exists, against the target table of the same name. The import's failure log
// in the program folder says which losses are explained. Fails only when the comparison cannot
// run at all (the target does not open, the log cannot be read); a table that cannot be read is
// a failed table of the summary.
Result<VerifySummary> RunVerify(const sources::DataSources& sources, const VerifyOptions& options,
                                VerifyObserver* observer = nullptr);

}  // namespace zuna::verify
