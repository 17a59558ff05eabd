// zuna-transfer report [--summary FILE]: counts every table on both sides, writes
// data_transfer_rpt and report.pdf, prints the text table on standard output and the paths of the
// files written on standard error.
//
// Exit status: 1 when the report could not be made, its PDF is not whole, or no table could be
// compared (no target table has a FoxPro table: a missing data folder, an empty target); 3 when the
// report is whole but a table does not reconcile: a count failed ("Error"), or the two counts
// differ. A target table without a FoxPro table ("Not Exist") has nothing to be compared with and
// is not held against it. 0 when every table reconciles.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/cli/catalog_checks.h"
#include "app/cli/cli.h"
#include "app/cli/report_summary.h"
#include "core/file_names.h"
#include "platform/files/file_system.h"
#include "platform/sources/data_sources.h"
#include "platform/text/encoding.h"
#include "report/export_report.h"
#include "report/report_window_model.h"

namespace zuna::cli {
namespace {

using Clock = std::chrono::system_clock;

int ReportStatus(const CommandContext& context, const report::ReportWindowModel& model,
                 const std::vector<TableReconciliation>& tables) {
  // The writer has shown its failure already; the exit status says the PDF is not to be trusted.
  if (!model.pdf_status().ok()) return kExitFailed;
  const bool compared = std::any_of(tables.begin(), tables.end(),
                                    [](const TableReconciliation& t) { return t.foxpro_table; });
  if (!compared) {
    const std::filesystem::path data_folder = context.sources->DataFolder();
    const std::string reason =
        tables.empty() ? "the target has no tables"
        : !HoldsACataloguedTable(data_folder)
            ? EmptyDataFolderReason(data_folder)
            : "no table of the target has a FoxPro table in " + data_folder.string();
    std::fprintf(stderr, "zuna-transfer report: %s; no table was compared\n", reason.c_str());
    return kExitFailed;
  }
  std::string failing;
  std::size_t count = 0;
  for (const TableReconciliation& table : tables) {
    if (!table.fails()) continue;
    failing += (count++ == 0 ? "" : ", ") + DescribeFailure(table);
  }
  if (count == 0) return kExitDone;
  std::fprintf(stderr, "zuna-transfer report: %zu of %zu tables do not reconcile: %s\n", count,
               tables.size(), failing.c_str());
  return kExitSkippedFailures;
}

}  // namespace

int RunReport(const CommandContext& context) {
  const Clock::time_point started = Clock::now();
  const auto& summary_path = context.invocation.summary;
  if (summary_path) {
    if (Status usable = CheckSummaryFolder(*summary_path); !usable.ok()) {
      context.op.ShowError(usable.WithContext("--summary"));
      return kExitFailed;
    }
  }
  ReportOutcome outcome;
  outcome.data_folder = context.sources->DataFolder().string();
  outcome.text_file = (context.program_folder / std::string(core::kReportTextName)).string();
  outcome.pdf_file = (context.program_folder / std::string(core::kReportPdfName)).string();

  report::ReportWindowModel model(*context.sources, context.op);
  int status = kExitDone;
  if (Status loaded = model.Load(); !loaded.ok()) {
    context.op.ShowError(loaded);
    outcome.error = loaded.ToString();
    status = kExitFailed;
  } else {
    if (auto text = files::ReadAllAnsi(outcome.text_file); text.ok()) {
      std::string shown;
      for (char c : *text) {
        if (c != '\r') shown.push_back(c);
      }
      std::fwrite(shown.data(), 1, shown.size(), stdout);
      std::fflush(stdout);
    }
    context.op.ShowProgress(outcome.text_file);
    outcome.pdf_written = model.pdf_status().ok();
    if (outcome.pdf_written) context.op.ShowProgress(outcome.pdf_file);
    outcome.tables = ReadReconciliation(model.grid());
    status = ReportStatus(context, model, outcome.tables);
  }
  if (!summary_path) return status;
  const SummaryHeader header{"report", started, Clock::now(), status, context.program_folder};
  if (Status written = WriteSummaryFile(*summary_path, ReportSummaryJson(header, outcome));
      !written.ok()) {
    context.op.ShowError(written.WithContext("the summary was not written"));
    return kExitFailed;
  }
  return status;
}

}  // namespace zuna::cli
