// zuna-transfer report: counts every table on both sides, writes data_transfer_rpt and
// report.pdf, prints the text table on standard output and the paths of the files written on
// standard error. Exit 1 when the report could not be made or its PDF is not whole, 3 when it is
// complete but some counts failed (those cells read "Error").
#include <cstdio>

#include "app/cli/cli.h"
#include "core/file_names.h"
#include "platform/files/file_system.h"
#include "platform/text/encoding.h"
#include "report/export_report.h"
#include "report/report_window_model.h"

namespace zuna::cli {

int RunReport(const CommandContext& context) {
  report::ReportWindowModel model(*context.sources, context.op);
  if (Status loaded = model.Load(); !loaded.ok()) {
    context.op.ShowError(loaded);
    return kExitFailed;
  }
  const auto text_path = context.program_folder / std::string(core::kReportTextName);
  if (auto text = files::ReadAllAnsi(text_path); text.ok()) {
    std::string shown;
    for (char c : *text) {
      if (c != '\r') shown.push_back(c);
    }
    std::fwrite(shown.data(), 1, shown.size(), stdout);
  }
  context.op.ShowProgress(text_path.string());
  // The writer has shown its failure already; the exit status says the PDF is not to be trusted.
  if (!model.pdf_status().ok()) return kExitFailed;
  context.op.ShowProgress((context.program_folder / std::string(core::kReportPdfName)).string());
  return model.failed_counts() > 0 ? kExitSkippedFailures : kExitDone;
}

}  // namespace zuna::cli
