#pragma once

#include <cstdio>
#include <string>

#include "app/cli/summary_file.h"
#include "import/import_run.h"

namespace zuna::cli {

// The closing table of `zuna-transfer import` on `out`: per table the rows read, saved and
// refused, the fields lost, the deleted rows skipped, the fields with undecodable bytes and the
// header's row count against the rows in the file; then the totals, and where the saving
// stopped.
void PrintImportSummary(const transfer::ImportSummary& summary, std::FILE* out);

// What `import --summary FILE` writes about one run.
struct ImportOutcome {
  // The import's own account; null when the command refused to start it (`refusal` says why).
  const transfer::ImportSummary* summary = nullptr;
  std::string refusal;
  std::string data_folder;
  bool append = false;
  std::string stop_reason;  // "SIGINT" or "SIGTERM" when the import was interrupted
};

// The JSON document of an import (README, "The summary files"): the common members, then
// "data_folder", "append", "completed", "refusal", "tables" (one object per table: "table",
// "outcome" (copied, not_found or master_data_script), "rows_read", "rows_saved",
// "rows_refused", "rows_unknown", "fields_lost", "deleted_skipped", "undecodable_fields",
// "header_rows", "rows_in_file", "stopped", "interrupted", "seconds"), "totals", "stopped",
// "interrupted", "keys_applied" and "log".
std::string ImportSummaryJson(const SummaryHeader& header, const ImportOutcome& outcome);

}  // namespace zuna::cli
