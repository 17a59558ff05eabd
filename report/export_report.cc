#include "report/export_report.h"

#include <algorithm>

#include "core/file_names.h"
#include "pdf/txt_to_pdf.h"
#include "platform/files/file_system.h"
#include "platform/text/ascii.h"
#include "platform/text/encoding.h"

namespace zuna::report {
namespace {

constexpr std::array<std::size_t, ReportGrid::kColumns> kFieldWidths = {25, 18, 16, 12};
constexpr std::array<std::string_view, ReportGrid::kColumns> kHeaderFirst = {
    "       Table Name        ", "  No. Of Records  ", " No. Of Records ", " Difference "};
constexpr std::array<std::string_view, ReportGrid::kColumns> kHeaderSecond = {
    "                         ", "  in Foxpro Table ", "  in SQL Table  ", "            "};
constexpr char kFormFeed[] = "\f";

std::string Padded(std::string_view text, std::size_t width) {
  std::string out(text);
  const std::size_t length = text::CodePointCount(text);
  if (length < width) out.append(width - length, ' ');
  return out;
}

std::string Row(const std::array<std::string, ReportGrid::kColumns>& cells) {
  std::string line = "|";
  for (const std::string& cell : cells) line += cell + "|";
  return line;
}

}  // namespace

std::vector<std::string> ReportLines(const ReportGrid& grid) {
  std::array<std::size_t, ReportGrid::kColumns> widths = kFieldWidths;
  for (int row = 1; row < grid.rows(); ++row) {
    for (int column = 0; column < ReportGrid::kColumns; ++column) {
      const std::size_t needed = 1 + text::CodePointCount(text::Trim(grid.TextMatrix(row, column)));
      widths[static_cast<std::size_t>(column)] =
          std::max(widths[static_cast<std::size_t>(column)], needed);
    }
  }
  std::size_t inner = ReportGrid::kColumns - 1;
  std::string separator = "+";
  std::array<std::string, ReportGrid::kColumns> first, second;
  for (std::size_t k = 0; k < widths.size(); ++k) {
    inner += widths[k];
    separator += std::string(widths[k], '-') + "+";
    first[k] = Padded(kHeaderFirst[k], widths[k]);
    second[k] = Padded(kHeaderSecond[k], widths[k]);
  }

  std::vector<std::string> lines = {"",         "",          " " + std::string(inner, '_') + " ",
                                    Row(first), Row(second), separator};
  double rows_on_page = 0;
  for (int row = 1; row < grid.rows(); ++row) {
    std::array<std::string, ReportGrid::kColumns> cells;
    for (int column = 0; column < ReportGrid::kColumns; ++column) {
      cells[static_cast<std::size_t>(column)] =
          Padded(" " + std::string(text::Trim(grid.TextMatrix(row, column))),
                 widths[static_cast<std::size_t>(column)]);
    }
    lines.push_back(Row(cells));
    rows_on_page += 1.0;
    if (rows_on_page == kRowsPerPage) {
      lines.insert(lines.end(), {separator, kFormFeed, separator});
      rows_on_page = 0;
    }
  }
  lines.push_back(separator);
  return lines;
}

Result<ExportOutcome> ExportReport(const ReportGrid& grid, const std::filesystem::path& folder,
                                   Operator& op) {
  const std::filesystem::path text_path = folder / std::string(core::kReportTextName);
  // An ordinary delete: a file the process may not remove stays, and creating it then fails.
  if (files::FileExists(text_path)) (void)files::DeleteFile(text_path);
  ASSIGN_OR_RETURN(auto writer, files::TextFileWriter::Create(
                                    text_path, files::TextFileWriter::Encoding::kAnsi));
  for (const std::string& line : ReportLines(grid)) RETURN_IF_ERROR(writer.WriteLine(line));
  RETURN_IF_ERROR(writer.Close());

  pdf::TxtToPdf writer_pdf(op);
  // The report's PDF: Courier 8 on 15 by 12 inches, created by "Quillotrane v1.1".
  writer_pdf.ConvertTextToPdf(text_path, folder / std::string(core::kReportPdfName),
                              pdf::PdfOptions{});
  return ExportOutcome{writer_pdf.failure()};
}

}  // namespace zuna::report
