// zuna-transfer import [--append] [--summary FILE]: the whole import run. Messages go to standard
// output; the progress of each table and a closing summary table go to standard error.
//
// Before it starts, the command refuses what would silently do harm: a data folder that holds
// none of the catalogued tables (the not-found lines, then a message that names the folder) and,
// without --append, a target whose catalogued tables already hold rows. While it runs, SIGINT and
// SIGTERM stop it at a row boundary with what it saved committed.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "app/cli/catalog_checks.h"
#include "app/cli/cli.h"
#include "app/cli/import_progress.h"
#include "app/cli/import_summary.h"
#include "app/cli/stop_signals.h"
#include "app/cli/summary_file.h"
#include "app/cli/test_pause.h"
#include "app/data_transfer_model.h"
#include "platform/sources/data_sources.h"

namespace zuna::cli {
namespace {

using Clock = std::chrono::system_clock;

// The refusal of a target that already holds rows, naming the tables and their rows (the first
// kTablesNamed of them, and how many more).
std::string NonEmptyTargetRefusal(const std::vector<TableRows>& holding) {
  constexpr std::size_t kTablesNamed = 10;
  std::string tables;
  std::uint64_t rows = 0;
  for (std::size_t i = 0; i < holding.size(); ++i) {
    rows += holding[i].rows;
    if (i >= kTablesNamed) continue;
    tables += (i == 0 ? "" : ", ") + holding[i].table + " " + std::to_string(holding[i].rows);
  }
  if (holding.size() > kTablesNamed) {
    tables += " and " + std::to_string(holding.size() - kTablesNamed) + " more, " +
              std::to_string(rows) + " rows in all";
  }
  return "the target already holds rows in " + std::to_string(holding.size()) +
         (holding.size() == 1 ? " catalogued table: " : " catalogued tables: ") + tables +
         ". The import would add to them: give --append to do so, or start from an empty "
         "database";
}

// The exit status of an import that ran (the anomaly log already closed).
int ExitStatusOf(const transfer::ImportSummary& summary, const transfer::StopRequest& stop) {
  if (summary.interrupted) return ExitStatusForSignal(stop.reason());
  // A storage failure stopped the saving: the import did not do its work.
  if (summary.stopped()) return kExitFailed;
  // Exit 3 promises that import_errors lists every failure; a log that could not be written
  // breaks that promise, so the import did not do all its work.
  if (!summary.log_complete()) return kExitFailed;
  return summary.skipped() ? kExitSkippedFailures : kExitDone;
}

class ImportCommand {
 public:
  explicit ImportCommand(const CommandContext& context)
      : context_(context),
        sources_(*context.sources),
        invocation_(context.invocation),
        started_(Clock::now()) {}

  int Run();

 private:
  int Refuse(const std::string& refusal);
  // Writes the summary file when one was asked for; a failure to write it is exit 1.
  int Finish(int status, const transfer::ImportSummary* summary);

  const CommandContext& context_;
  const sources::DataSources& sources_;
  const Invocation& invocation_;
  const Clock::time_point started_;
  transfer::StopRequest stop_;
  std::string refusal_;  // why the import was not started; empty when it ran
};

int ImportCommand::Run() {
  if (invocation_.summary) {
    if (Status usable = CheckSummaryFolder(*invocation_.summary); !usable.ok()) {
      context_.op.ShowError(usable.WithContext("--summary"));
      return kExitFailed;
    }
  }
  const std::filesystem::path data_folder = sources_.DataFolder();
  if (!HoldsACataloguedTable(data_folder)) {
    ShowNotFoundMessages(data_folder, context_.op);
    return Refuse(EmptyDataFolderReason(data_folder) + "; nothing was imported");
  }
  if (!invocation_.append) {
    const std::vector<TableRows> holding = CataloguedTablesWithRows(sources_);
    if (!holding.empty()) return Refuse(NonEmptyTargetRefusal(holding));
  }

  const ProgressStyle style = StyleFor(stderr, invocation_.quiet);
  ImportProgress progress(stderr, style);
  auto pause = PauseFromEnvironment();
  if (!pause.ok()) {
    context_.op.ShowError(pause.status());
    return kExitFailed;
  }
  std::optional<PausingObserver> pausing;
  if (*pause) pausing.emplace(progress, **pause, stop_);
  transfer::ImportObserver& observer =
      pausing ? static_cast<transfer::ImportObserver&>(*pausing) : progress;

  app::DataTransferModel window(sources_, context_.op);
  window.server_name = invocation_.server;
  transfer::ImportSummary summary;
  {
    const StopSignals signals(stop_);
    summary = window.Import(&observer, &stop_);
  }
  progress.Finish();
  PrintImportSummary(summary, stderr);
  if (summary.interrupted) {
    const std::string where = summary.interrupted_after_row == 0
                                  ? "before table " + summary.interrupted_at
                                  : "after source row " +
                                        std::to_string(summary.interrupted_after_row) + " of " +
                                        summary.interrupted_at;
    std::fprintf(stderr,
                 "zuna-transfer import: interrupted by %s %s; every row up to there is saved or "
                 "listed in import_errors. The rest was not copied, and neither the installation "
                 "step nor pk.sql ran: to import again, start from an empty database.\n",
                 stop_.ReasonName().c_str(), where.c_str());
  }
  // The window would keep the last anomaly log open; the command ends here and closes it.
  int status = ExitStatusOf(summary, stop_);
  if (Status closed = window.log_slot().Release(); !closed.ok()) {
    context_.op.ShowError(closed);
    if (!summary.interrupted) status = kExitFailed;
  }
  return Finish(status, &summary);
}

int ImportCommand::Refuse(const std::string& refusal) {
  std::fprintf(stderr, "zuna-transfer import: %s\n", refusal.c_str());
  refusal_ = refusal;
  return Finish(kExitFailed, nullptr);
}

int ImportCommand::Finish(int status, const transfer::ImportSummary* summary) {
  if (!invocation_.summary) return status;
  ImportOutcome outcome;
  outcome.summary = summary;
  outcome.refusal = refusal_;
  outcome.data_folder = sources_.DataFolder().string();
  outcome.append = invocation_.append;
  if (summary && summary->interrupted) outcome.stop_reason = stop_.ReasonName();
  const SummaryHeader header{"import", started_, Clock::now(), status, context_.program_folder};
  if (Status written = WriteSummaryFile(*invocation_.summary, ImportSummaryJson(header, outcome));
      !written.ok()) {
    context_.op.ShowError(written.WithContext("the summary was not written"));
    return kExitFailed;
  }
  return status;
}

}  // namespace

int RunImport(const CommandContext& context) { return ImportCommand(context).Run(); }

}  // namespace zuna::cli
