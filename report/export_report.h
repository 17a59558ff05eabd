#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "report/report_grid.h"

namespace zuna {
class Operator;
}

namespace zuna::report {

inline constexpr int kRowsPerPage = 50;

// The lines of the boxed text table for the grid's data rows: two empty lines, the three header
// lines, the separator, one line per row with a page break (separator, form feed, separator)
// after every 50th, and the closing separator. Fields are 25, 18, 16 and 12 characters wide; a
// text that does not fit widens its column for the whole table, so nothing is cut and every
// line stays aligned.
std::vector<std::string> ReportLines(const ReportGrid& grid);

// How an export ended beyond the text table.
struct ExportOutcome {
  // Ok when "report.pdf" was written whole; otherwise the first failure of the PDF writer, which
  // has already shown it to the operator.
  Status pdf;
};

// Writes "data_transfer_rpt" (Windows-1252, CR LF) into `folder` from the grid, then converts it
// to "report.pdf" there with the text-to-PDF writer, which opens it in the viewer. A text file
// that cannot be created, written or closed is returned as the failure, not yet shown, and no PDF
// is made from it. The writer shows its own failures and finishes the document as far as it
// can, as the desktop program expects; whether the PDF is whole is told in the outcome.
Result<ExportOutcome> ExportReport(const ReportGrid& grid, const std::filesystem::path& folder,
                                   Operator& op);

}  // namespace zuna::report
