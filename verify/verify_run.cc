#include "verify/verify_run.h"

#include <algorithm>

#include "core/connection_texts.h"
#include "import/catalog.h"
#include "import/skip_log.h"
#include "platform/sources/data_sources.h"

namespace zuna::verify {
namespace {

// The comparison reads each table once from its start to its end, so the embedded engine's page
// cache holds only pages that are not read again. The connection keeps a large one for the
// import's writes (64 MB), which would make the verification's memory grow with the database up
// to that size; SQLite's own default (2 MB) serves a reading from start to end as well.
constexpr std::string_view kReadOnceCache = "PRAGMA cache_size=-2000";

}  // namespace

bool VerifySummary::accounted_for() const {
  return std::all_of(tables.begin(), tables.end(),
                     [](const TableResult& table) { return table.accounted_for(); });
}

Result<VerifySummary> RunVerify(const sources::DataSources& sources, const VerifyOptions& options,
                                VerifyObserver* observer) {
  ASSIGN_OR_RETURN(const ImportLog log,
                   ImportLog::Read(sources.program_folder() / std::string(transfer::kSkipLogName),
                                   options.detail_rows));
  ASSIGN_OR_RETURN(const sources::DataSource pay, sources.Resolve(core::kPayConnection));
  ASSIGN_OR_RETURN(const auto target, sources.OpenConnection(core::kPayConnection));
  if (pay.backend == sources::Backend::kSqlite) RETURN_IF_ERROR(target->Execute(kReadOnceCache));
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
