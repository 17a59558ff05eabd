#include "report/report_grid.h"

namespace zuna::report {

void ReportGrid::Clear() { cells_.assign(2, {}); }

void ReportGrid::set_rows(int rows) {
  cells_.resize(static_cast<std::size_t>(rows < 0 ? 0 : rows));
}

const std::string& ReportGrid::TextMatrix(int row, int column) const {
  return cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
}

void ReportGrid::SetTextMatrix(int row, int column, std::string_view text) {
  cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
}

void ReportGrid::SetFormatString(std::string_view format) {
  if (cells_.empty()) cells_.resize(1);
  for (int column = 0; column < kColumns; ++column) {
    const std::size_t bar = format.find('|');
    std::string_view piece = format.substr(0, bar);
    Alignment alignment = Alignment::kLeft;
    if (!piece.empty() && (piece.front() == '^' || piece.front() == '<' || piece.front() == '>')) {
      alignment = piece.front() == '^'   ? Alignment::kCentre
                  : piece.front() == '>' ? Alignment::kRight
                                         : Alignment::kLeft;
      piece.remove_prefix(1);
    }
    alignments_[static_cast<std::size_t>(column)] = alignment;
    cells_[0][static_cast<std::size_t>(column)] = std::string(piece);
    format = bar == std::string_view::npos ? std::string_view() : format.substr(bar + 1);
  }
}

}  // namespace zuna::report
