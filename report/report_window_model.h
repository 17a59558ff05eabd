#pragma once

#include <filesystem>
#include <memory>

#include "platform/base/status.h"
#include "report/report_grid.h"

namespace zuna {
class Operator;
namespace sql {
class Connection;
}
namespace sources {
class DataSources;
}
}  // namespace zuna

namespace zuna::report {

inline constexpr std::string_view kGridFormat =
    "^Table Name of SQL Server|^ No. Of Records in Foxpro Table |^ No. Of Records in SQL Server "
    "Table |^ Difference ";
inline constexpr int kColumnWidths[ReportGrid::kColumns] = {3000, 3000, 3500, 1000};
inline constexpr std::string_view kNotExist = "Not Exist";
inline constexpr std::string_view kNoDifference = "--";
inline constexpr std::string_view kCountFailed = "Error";

// The report window without a toolkit: its kept connection, its grid, and the Load handler that
// counts every SQL Server table on both sides and hands the grid to the export. The connection
// is opened on the first load and kept for the model's life.
class ReportWindowModel {
 public:
  ReportWindowModel(const sources::DataSources& sources, Operator& op);
  ~ReportWindowModel();

  // The Load handler: the connection, the table list in SQL Server's name order, one grid row
  // per table (SQL Server count, FoxPro count or "Not Exist", difference or "--"), the header,
  // then ExportReport. A failing connection, table list or text table stops the load and is
  // returned, not yet shown. A count that fails is shown once, its cells read "Error", and the
  // report goes on; so does a PDF whose writer failed (the writer shows that itself).
  Status Load();

  // After a load that ran to its end: the number of tables whose count failed.
  int failed_counts() const { return failed_counts_; }
  // After a load that ran to its end: Ok when "report.pdf" was written whole, else the first
  // failure of its writer.
  const Status& pdf_status() const { return pdf_status_; }

  // Writes the header row from the format string and sets the column widths.
  void SetGridHeader();

  const ReportGrid& grid() const { return grid_; }

 private:
  const sources::DataSources& sources_;
  Operator& operator_;
  std::shared_ptr<sql::Connection> connection_;
  ReportGrid grid_;
  int failed_counts_ = 0;
  Status pdf_status_;
};

// The absolute difference of two counts, taken through their text form as doubles, in plain
// decimal digits ("0", "15", "100000"), whatever the process's locale.
std::string CountDifference(std::string_view first, std::string_view second);

}  // namespace zuna::report
