#include "import/import_run.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "core/connection_texts.h"
#include "import/field_rules.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/operator/operator.h"
#include "platform/sources/data_sources.h"
#include "scripts/script_runner.h"

namespace zuna::transfer {
namespace {

constexpr std::string_view kInstallationCount = "select count(*) from installation";
constexpr std::string_view kMarkInstallation = "update installation set dbf_type='SqlServer'";
constexpr std::string_view kKeyScript = "pk.sql";

// The failure that stopped the saving, as the lines of what it left undone give it.
Status StopReason(const ImportSummary& summary) {
  return summary.stopped_by.WithContext("the import stopped saving at table " + summary.stopped_at);
}

void NoteInterruption(ImportSummary& summary, std::string_view table, std::uint64_t after_row) {
  summary.interrupted = true;
  summary.interrupted_at = table;
  summary.interrupted_after_row = after_row;
}

// The last line of the skip log after a requested stop: where the import ended and what it left
// undone.
Status InterruptionLine(const ImportSummary& summary, const StopRequest& stop) {
  const std::string& table = summary.interrupted_at;
  const std::string where =
      summary.interrupted_after_row == 0
          ? "before table " + table + " began"
          : "after source row " + std::to_string(summary.interrupted_after_row) + " of " + table;
  return Status(ErrorKind::kIoError, EINTR,
                "the import was interrupted by " + stop.ReasonName() + " " + where +
                    ": every row up to there is saved or listed here; the rest of " + table +
                    " and the tables after it were not copied, and neither the installation "
                    "step nor pk.sql ran");
}

void RunPass(std::span<const CatalogEntry> catalog, ImportContext& context,
             ImportSummary& summary) {
  for (const CatalogEntry& entry : catalog) {
    if (summary.interrupted) return;
    if (context.stop && context.stop->requested()) {
      NoteInterruption(summary, entry.table, 0);
      return;
    }
    summary.tables.push_back(CopyTable(entry, context, StopReason(summary)));
    const TableReport& report = summary.tables.back();
    if (!summary.stopped() && !report.stopped_by.ok()) {
      summary.stopped_by = report.stopped_by;
      summary.stopped_at = report.table;
    }
    if (report.interrupted) NoteInterruption(summary, report.table, report.rows_read);
    if (context.observer) context.observer->TableDone(report);
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
  message += "; ";
  if (summary.log_complete()) {
    message += "every failure is listed in the log " + std::string(log_name) + ".";
  } else {
    message += "the log " + std::string(log_name) + " could not be written (" +
               summary.log_failure.ToString() + ")";
    if (summary.unlisted_failures == 0) {
      message += " and may lack failures.";
    } else {
      message += ": " + std::to_string(summary.unlisted_failures) + " of " +
                 std::to_string(summary.skipped_failures) + " failures are not listed in it.";
    }
  }
  if (summary.stopped() && summary.stopped_at == kKeyScript) {
    message += " The database could not store more (" + summary.stopped_by.ToString() + ") while " +
               std::string(kKeyScript) + " ran: the keys were not all applied.";
  } else if (summary.stopped()) {
    message += " Saving stopped at table " + summary.stopped_at +
               ", where the database could not store more rows (" + summary.stopped_by.ToString() +
               "): the rows after that were counted, not copied, and the keys were not applied.";
  } else if (!summary.keys.ok()) {
    message += " The keys were not all applied (" + summary.keys.ToString() + ").";
  }
  return message;
}

// What is not done once the saving stopped: a line for the log.
Status NotRun(const ImportSummary& summary) { return StopReason(summary).WithContext("not run"); }

}  // namespace

void TransferFirstPass(ImportContext& context, ImportSummary& summary) {
  RunPass(FirstPassCatalog(), context, summary);
}

void TransferSecondPass(ImportContext& context, ImportSummary& summary) {
  RunPass(SecondPassCatalog(), context, summary);
}

void TransferThirdPass(ImportContext& context, ImportSummary& summary) {
  RunPass(ThirdPassCatalog(), context, summary);
  if (summary.interrupted) return;
  if (summary.stopped()) {
    context.skips.StepFailed(kInstallationTable, kMarkedField, NotRun(summary));
    return;
  }
  MarkInstallation(context);
}

void MarkInstallation(ImportContext& context) {
  if (dbf::FindTableFile(context.data_folder, kInstallationTable).empty()) return;
  // The count is read as a 64-bit number: a large table must warn, never wrap into a mark.
  // A count that could not be read marks nothing: 0 rows would mark the installation of a table
  // nobody has counted. The failure is listed, and the statements that depend on it are skipped.
  auto source = context.sources.OpenRecordset(kInstallationCount, core::kFoxPayConnection);
  if (!source.ok()) {
    context.skips.StepFailed(kInstallationTable, kCountStep, source.status());
    return;
  }
  auto value = (*source)->Field(0);
  if (!value.ok()) {
    context.skips.StepFailed(kInstallationTable, kCountStep, value.status());
    return;
  }
  const auto count = static_cast<std::int64_t>((*value)->AsDouble());
  if (count < kMarkBelow) {
    (void)(*source)->Close();
    auto marked = context.sources.OpenRecordset(kMarkInstallation, core::kPayConnection);
    if (!marked.ok()) context.skips.StepFailed(kInstallationTable, kMarkedField, marked.status());
    return;
  }
  context.op.ShowMessage("DDO Code:(" + std::to_string(count) + ")", MessageIcon::kCritical,
                         MessageTitle::kZuna);
}

Status ApplyKeys(ImportContext& context) {
  const std::string connection =
      std::string(core::kDatabasePrefix) + context.server_name;  // as typed, not trimmed
  Status ran = scripts::RunScriptFile(context.sources, connection, kKeyScript,
                                      scripts::GoLines::kSeparateBatches);
  if (!ran.ok()) context.skips.StepFailed(kKeyScript, "", ran);
  return ran;
}

ImportSummary RunImport(ImportContext& context, ImportWindow& window) {
  ImportSummary summary;
  window.ShowWaitLabel();
  window.DisableImport();
  if (Status opened = context.skips.Open(context.program_folder); !opened.ok()) {
    context.skips.StepFailed("", kSkipLogName, opened);
  }
  {
    // The target's connection serves table after table of the copy, as ADO's pooling hands a
    // released connection to the next open of the same string; it is closed before pk.sql.
    sources::ConnectionReuse reuse(context.sources);
    TransferFirstPass(context, summary);
    TransferSecondPass(context, summary);
    TransferThirdPass(context, summary);
    summary.target_connections_opened = reuse.kept().opened();
  }
  if (summary.interrupted) {
    context.skips.StepFailed(summary.interrupted_at, "", InterruptionLine(summary, *context.stop));
  } else if (summary.stopped()) {
    context.skips.StepFailed(kKeyScript, "", NotRun(summary));
  } else {
    summary.keys = ApplyKeys(context);
    if (summary.keys.kind() == ErrorKind::kStorage) {
      summary.stopped_by = summary.keys;
      summary.stopped_at = kKeyScript;
    }
  }
  summary.rows_lost = context.skips.rows_lost();
  summary.fields_lost = context.skips.fields_lost();
  summary.log_failure = context.skips.Close();
  summary.skipped_failures = context.skips.entries();
  summary.unlisted_failures = context.skips.unwritten();

  window.HideWaitLabel();
  // An interrupted import did not complete; its caller says where it stopped.
  if (summary.interrupted) {
    window.EnableReport();
    return summary;
  }
  context.op.ShowMessage("Completed", MessageIcon::kNone, MessageTitle::kDefault);
  if (summary.skipped() || !summary.log_complete()) {
    context.op.ShowMessage(LossMessage(summary, kSkipLogName), MessageIcon::kInformation,
                           MessageTitle::kDefault);
  }
  window.EnableReport();
  return summary;
}

}  // namespace zuna::transfer
