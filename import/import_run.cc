#include "import/import_run.h"

#include <algorithm>
#include <string>

#include "app/constants.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/operator/operator.h"
#include "platform/sql/data_sources.h"
#include "scripts/script_runner.h"

namespace zuna::import {
namespace {

constexpr std::string_view kInstallationTable = "installation";
constexpr std::string_view kInstallationCount = "select count(*) from installation";
constexpr std::string_view kMarkInstallation = "update installation set dbf_type='SqlServer'";
constexpr std::string_view kKeyScript = "pk.sql";
// A count of 1 or less marks the installation; 2 or more warns.
constexpr std::int64_t kMarkBelow = 2;

void RunPass(std::span<const CatalogEntry> catalog, ImportContext& context, ImportSummary& summary,
             ImportObserver* observer) {
  for (const CatalogEntry& entry : catalog) {
    summary.tables.push_back(CopyTable(entry, context));
    if (observer) observer->TableDone(summary.tables.back());
  }
}

std::string LossMessage(const ImportSummary& summary, std::string_view log_name) {
  std::string message = std::to_string(summary.rows_lost) +
                        (summary.rows_lost == 1 ? " row" : " rows") + " and " +
                        std::to_string(summary.fields_lost) +
                        (summary.fields_lost == 1 ? " field" : " fields") + " could not be copied";
  // A table that could not be read at all has lost rows that no count can state.
  const auto unknown = std::count_if(summary.tables.begin(), summary.tables.end(),
                                     [](const TableReport& r) { return r.rows_unknown; });
  if (unknown > 0) {
    message += ", and an unknown number of rows of " + std::to_string(unknown) +
               (unknown == 1 ? " table" : " tables") + " that could not be read";
  }
  return message + "; every failure is listed in the log " + std::string(log_name) + ".";
}

}  // namespace

void TransferFirstPass(ImportContext& context, ImportSummary& summary, ImportObserver* observer) {
  RunPass(FirstPassCatalog(), context, summary, observer);
}

void TransferSecondPass(ImportContext& context, ImportSummary& summary, ImportObserver* observer) {
  RunPass(SecondPassCatalog(), context, summary, observer);
}

void TransferThirdPass(ImportContext& context, ImportSummary& summary, ImportObserver* observer) {
  RunPass(ThirdPassCatalog(), context, summary, observer);
  MarkInstallation(context);
}

void MarkInstallation(ImportContext& context) {
  if (dbf::FindTableFile(context.data_folder, kInstallationTable).empty()) return;
  // The count is read as a 64-bit number: a large table must warn, never wrap into a mark.
  std::int64_t count = 0;
  auto source = context.sources.OpenRecordset(kInstallationCount, constants::kFoxPayConnection);
  if (!source.ok()) {
    context.skips.StepFailed(kInstallationTable, "count", source.status());
  } else if (auto value = (*source)->Field(0); !value.ok()) {
    context.skips.StepFailed(kInstallationTable, "count", value.status());
  } else {
    count = static_cast<std::int64_t>((*value)->AsDouble());
  }
  if (count < kMarkBelow) {
    if (source.ok()) (void)(*source)->Close();
    auto marked = context.sources.OpenRecordset(kMarkInstallation, constants::kPayConnection);
    if (!marked.ok()) context.skips.StepFailed(kInstallationTable, "dbf_type", marked.status());
    return;
  }
  context.op.ShowMessage("DDO Code:(" + std::to_string(count) + ")", MessageIcon::kCritical,
                         MessageTitle::kZuna);
}

void ApplyKeys(ImportContext& context) {
  const std::string connection =
      std::string(constants::kDatabasePrefix) + context.server_name;  // as typed, not trimmed
  if (Status ran = scripts::RunScriptFile(context.sources, connection, kKeyScript, true);
      !ran.ok()) {
    context.skips.StepFailed(kKeyScript, "", ran);
  }
}

ImportSummary RunImport(ImportContext& context, ImportWindow& window, ImportObserver* observer) {
  ImportSummary summary;
  window.ShowWaitLabel();
  window.DisableImport();
  if (Status opened = context.skips.Open(context.program_folder); !opened.ok()) {
    context.skips.StepFailed("", kSkipLogName, opened);
  }
  TransferFirstPass(context, summary, observer);
  TransferSecondPass(context, summary, observer);
  TransferThirdPass(context, summary, observer);
  ApplyKeys(context);
  summary.rows_lost = context.skips.rows_lost();
  summary.fields_lost = context.skips.fields_lost();
  summary.skipped_failures = context.skips.entries();
  context.skips.Close();

  window.HideWaitLabel();
  context.op.ShowMessage("Completed", MessageIcon::kNone, MessageTitle::kDefault);
  if (summary.skipped()) {
    context.op.ShowMessage(LossMessage(summary, kSkipLogName), MessageIcon::kInformation,
                           MessageTitle::kDefault);
  }
  window.EnableReport();
  return summary;
}

}  // namespace zuna::import
