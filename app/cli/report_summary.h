#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/summary_file.h"

namespace zuna::report {
class ReportGrid;
}

namespace zuna::cli {

// One table of the report, read back from the grid's texts.
struct TableReconciliation {
  std::string table;
  bool foxpro_table = true;             // false: "Not Exist", no FoxPro table to compare
  std::optional<std::uint64_t> foxpro;  // null when not counted ("Not Exist" or "Error")
  std::optional<std::uint64_t> target;  // null when the count failed
  bool count_failed = false;

  // A table reconciles when both sides were counted and hold as many rows. A table without a
  // FoxPro table has nothing to reconcile with and is not held against the report; a count that
  // failed, or any difference (rows the import refused, or added twice), is.
  bool reconciles() const { return foxpro && target && *foxpro == *target; }
  bool fails() const { return foxpro_table ? !reconciles() : count_failed; }
};

std::vector<TableReconciliation> ReadReconciliation(const report::ReportGrid& grid);

// "personnel (FoxPro 200, target 194)", "paybill (count failed)".
std::string DescribeFailure(const TableReconciliation& table);

// What `report --summary FILE` writes about one run.
struct ReportOutcome {
  std::vector<TableReconciliation> tables;
  std::string error;  // why the report could not be made; empty when it was
  std::string data_folder;
  std::string text_file;
  std::string pdf_file;
  bool pdf_written = false;
};

// The JSON document of a report (README, "The summary files"): the common members, then
// "data_folder", "error", "text_file", "pdf_file", "pdf_written", "tables" (one object per target
// table: "table", "foxpro_table", "foxpro_rows", "target_rows", "difference", "count_failed",
// "reconciled") and "totals".
std::string ReportSummaryJson(const SummaryHeader& header, const ReportOutcome& outcome);

}  // namespace zuna::cli
