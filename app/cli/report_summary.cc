#include "app/cli/report_summary.h"

#include <charconv>
#include <cmath>

#include "app/cli/json_writer.h"
#include "platform/text/ascii.h"
#include "report/report_grid.h"
#include "report/report_window_model.h"

namespace zuna::cli {
namespace {

// A count as the grid shows it ("194"; a driver may give "194.0"), or nothing.
std::optional<std::uint64_t> CountOf(std::string_view text) {
  text = text::Trim(text, text::kSpacesAndTabs);
  std::uint64_t whole = 0;
  const char* end = text.data() + text.size();
  if (auto [at, error] = std::from_chars(text.data(), end, whole);
      error == std::errc() && at == end) {
    return whole;
  }
  double number = 0;
  if (auto [at, error] = std::from_chars(text.data(), end, number);
      error == std::errc() && at == end && number >= 0 && std::floor(number) == number) {
    return static_cast<std::uint64_t>(number);
  }
  return std::nullopt;
}

}  // namespace

std::vector<TableReconciliation> ReadReconciliation(const report::ReportGrid& grid) {
  std::vector<TableReconciliation> tables;
  for (int row = 1; row < grid.rows(); ++row) {
    TableReconciliation table;
    table.table = grid.TextMatrix(row, 0);
    const std::string& foxpro = grid.TextMatrix(row, 1);
    const std::string& target = grid.TextMatrix(row, 2);
    table.foxpro_table = foxpro != report::kNotExist;
    table.count_failed = foxpro == report::kCountFailed || target == report::kCountFailed;
    if (table.foxpro_table) table.foxpro = CountOf(foxpro);
    table.target = CountOf(target);
    tables.push_back(std::move(table));
  }
  return tables;
}

std::string DescribeFailure(const TableReconciliation& table) {
  if (table.count_failed || !table.foxpro || !table.target) return table.table + " (count failed)";
  return table.table + " (FoxPro " + std::to_string(*table.foxpro) + ", target " +
         std::to_string(*table.target) + ")";
}

std::string ReportSummaryJson(const SummaryHeader& header, const ReportOutcome& outcome) {
  JsonWriter json;
  BeginSummary(json, header);
  json.Member("data_folder", outcome.data_folder).Key("error");
  if (outcome.error.empty()) {
    json.Null();
  } else {
    json.String(outcome.error);
  }
  json.Member("text_file", outcome.text_file)
      .Member("pdf_file", outcome.pdf_file)
      .Member("pdf_written", outcome.pdf_written)
      .Key("tables")
      .BeginArray();
  std::uint64_t reconciled = 0, failing = 0, without_foxpro = 0, count_failures = 0;
  std::uint64_t foxpro_rows = 0, target_rows = 0;
  for (const TableReconciliation& table : outcome.tables) {
    json.BeginObject().Member("table", table.table).Member("foxpro_table", table.foxpro_table);
    json.Member("foxpro_rows", table.foxpro);
    json.Member("target_rows", table.target);
    std::optional<std::uint64_t> difference;
    if (table.foxpro && table.target) {
      difference = *table.foxpro > *table.target ? *table.foxpro - *table.target
                                                 : *table.target - *table.foxpro;
    }
    json.Member("difference", difference);
    json.Member("count_failed", table.count_failed).Key("reconciled");
    if (table.foxpro_table) {
      json.Bool(table.reconciles());
    } else {
      json.Null();
    }
    json.EndObject();
    reconciled += table.reconciles() ? 1 : 0;
    failing += table.fails() ? 1 : 0;
    without_foxpro += table.foxpro_table ? 0 : 1;
    count_failures += table.count_failed ? 1 : 0;
    foxpro_rows += table.foxpro.value_or(0);
    target_rows += table.target.value_or(0);
  }
  json.EndArray()
      .Key("totals")
      .BeginObject()
      .Member("tables", static_cast<std::uint64_t>(outcome.tables.size()))
      .Member("reconciled", reconciled)
      .Member("not_reconciled", failing)
      .Member("without_foxpro_table", without_foxpro)
      .Member("count_failures", count_failures)
      .Member("foxpro_rows", foxpro_rows)
      .Member("target_rows", target_rows)
      .EndObject()
      .EndObject();
  return json.text();
}

}  // namespace zuna::cli
