#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zuna::report {

// The report window's grid, without a toolkit: four columns, row 0 the header row, data rows
// from 1. It behaves as the window's flexible grid does where the report relies on it: Rows,
// TextMatrix, the format string that writes the header row, and the column widths in twips.
class ReportGrid {
 public:
  static constexpr int kColumns = 4;
  enum class Alignment { kLeft, kCentre, kRight };

  ReportGrid() { Clear(); }

  // Empties every cell and leaves two rows, as the report's grid reset does.
  void Clear();

  int rows() const { return static_cast<int>(cells_.size()); }
  // Adds empty rows at the end or removes rows from it.
  void set_rows(int rows);

  const std::string& TextMatrix(int row, int column) const;
  void SetTextMatrix(int row, int column, std::string_view text);

  // "^A|^B|..." writes the header row: '^' centres a column, '<' and '>' align it left and
  // right; the rest of each piece, spaces included, is the header text.
  void SetFormatString(std::string_view format);
  Alignment alignment(int column) const { return alignments_[static_cast<std::size_t>(column)]; }

  void set_column_width(int column, int twips) {
    widths_[static_cast<std::size_t>(column)] = twips;
  }
  int column_width(int column) const { return widths_[static_cast<std::size_t>(column)]; }

 private:
  std::vector<std::array<std::string, kColumns>> cells_;
  std::array<Alignment, kColumns> alignments_{};
  std::array<int, kColumns> widths_{};
};

}  // namespace zuna::report
