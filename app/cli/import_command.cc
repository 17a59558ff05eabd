// zuna-transfer import: the whole import run. Messages go to standard output; a progress line
// per table and a closing summary table go to standard error.
#include <cstdio>
#include <string>

#include "app/cli/cli.h"
#include "app/data_transfer_model.h"

namespace zuna::cli {
namespace {

class ProgressLines : public transfer::ImportObserver {
 public:
  explicit ProgressLines(Operator& op) : op_(op) {}
  void TableDone(const transfer::TableReport& r) override {
    if (r.outcome != transfer::TableReport::Outcome::kCopied) return;
    char line[256];
    const double rate = r.seconds > 0 ? static_cast<double>(r.rows_saved) / r.seconds : 0;
    std::snprintf(line, sizeof line, "%s: %llu rows copied, %.0f rows/s", r.table.c_str(),
                  static_cast<unsigned long long>(r.rows_saved), rate);
    op_.ShowProgress(line);
  }

 private:
  Operator& op_;
};

void PrintSummary(const transfer::ImportSummary& summary) {
  std::fprintf(stderr, "\n%-18s %9s %9s %8s %8s %8s %8s  %s\n", "table", "read", "saved", "refused",
               "fields", "deleted", "bad text", "header/found");
  for (const transfer::TableReport& r : summary.tables) {
    using Outcome = transfer::TableReport::Outcome;
    if (r.outcome != Outcome::kCopied) {
      std::fprintf(stderr, "%-18s %s%s\n", r.table.c_str(),
                   r.outcome == Outcome::kMissing ? "not found" : "master-data script",
                   r.outcome == Outcome::kMasterDataScript && !r.stopped_by.ok() ? " not run" : "");
      continue;
    }
    const std::string counts = std::to_string(r.header_rows) + "/" +
                               std::to_string(r.rows_in_file) +
                               (r.header_rows != r.rows_in_file ? "  DIFFERS" : "") +
                               (r.stopped_by.ok() ? "" : "  STOPPED");
    // A table that could not be read at all lost an unknown number of rows.
    const std::string refused = r.rows_unknown ? "unknown" : std::to_string(r.rows_refused);
    std::fprintf(stderr, "%-18s %9llu %9llu %8s %8llu %8llu %8llu  %s\n", r.table.c_str(),
                 static_cast<unsigned long long>(r.rows_read),
                 static_cast<unsigned long long>(r.rows_saved), refused.c_str(),
                 static_cast<unsigned long long>(r.fields_unassigned),
                 static_cast<unsigned long long>(r.deleted_skipped),
                 static_cast<unsigned long long>(r.undecodable_fields), counts.c_str());
  }
  std::size_t unreadable = 0;
  for (const transfer::TableReport& r : summary.tables) unreadable += r.rows_unknown ? 1 : 0;
  const std::string unknown =
      unreadable == 0 ? ""
                      : " and an unknown number from " + std::to_string(unreadable) +
                            (unreadable == 1 ? " unreadable table" : " unreadable tables");
  std::fprintf(stderr, "rows lost %llu%s, fields lost %llu\n",
               static_cast<unsigned long long>(summary.rows_lost), unknown.c_str(),
               static_cast<unsigned long long>(summary.fields_lost));
  if (summary.stopped())
    std::fprintf(stderr, "saving stopped at %s: %s\n", summary.stopped_at.c_str(),
                 summary.stopped_by.ToString().c_str());
}

}  // namespace

int RunImport(const CommandContext& context) {
  app::DataTransferModel window(*context.sources, context.op);
  window.server_name = context.invocation.server;
  ProgressLines progress(context.op);
  const transfer::ImportSummary summary = window.Import(&progress);
  PrintSummary(summary);
  // The window would keep the last anomaly log open; the command ends here and closes it.
  if (Status closed = window.log_slot().Release(); !closed.ok()) {
    context.op.ShowError(closed);
    return kExitFailed;
  }
  // A storage failure stopped the saving: the import did not do its work.
  if (summary.stopped()) return kExitFailed;
  // Exit 3 promises that import_errors lists every failure; a log that could not be written
  // breaks that promise, so the import did not do all its work.
  if (!summary.log_complete()) return kExitFailed;
  return summary.skipped() ? kExitSkippedFailures : kExitDone;
}

}  // namespace zuna::cli
