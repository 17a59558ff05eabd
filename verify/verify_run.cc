#include "verify/verify_run.h"

#include <algorithm>

#include "import/catalog.h"
#include "import/skip_log.h"
#include "platform/sources/data_sources.h"
#include "verify/target_connection.h"

namespace zuna::verify {

bool VerifySummary::accounted_for() const {
  return std::all_of(tables.begin(), tables.end(),
                     [](const TableResult& table) { return table.accounted_for(); });
}

Result<VerifySummary> RunVerify(const sources::DataSources& sources, const VerifyOptions& options,
                                VerifyObserver* observer) {
  ASSIGN_OR_RETURN(const ImportLog log,
                   ImportLog::Read(sources.program_folder() / std::string(transfer::kSkipLogName),
                                   options.detail_rows));
  ASSIGN_OR_RETURN(const auto target, OpenTargetForReading(sources));
  VerifySummary summary;
  summary.log_present = log.present();
  for (const auto catalog : {transfer::FirstPassCatalog(), transfer::SecondPassCatalog(),
                             transfer::ThirdPassCatalog()}) {
    for (const transfer::CatalogEntry& entry : catalog) {
      summary.tables.push_back(VerifyTable(entry, sources, target, log.Of(entry.table), options));
      if (observer) observer->TableDone(summary.tables.back());
    }
  }
  return summary;
}

}  // namespace zuna::verify
