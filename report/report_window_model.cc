#include "report/report_window_model.h"

#include <array>
#include <charconv>

#include "core/connection_texts.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/operator/operator.h"
#include "platform/recordset/quoted_name.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/sql_recordset.h"
#include "report/export_report.h"

namespace zuna::report {
namespace {

constexpr std::string_view kTableList = "SELECT * FROM sys.Tables order by name";

// "select count(*) from [NAME]", a ']' in the name doubled so every table can be counted.
std::string CountQuery(std::string_view table) {
  return "select count(*) from " + recordset::BracketName(table);
}

// The first field of the first row of a count.
Result<std::string> FirstField(recordset::Recordset& recordset) {
  ASSIGN_OR_RETURN(const Value* value, recordset.Field(0));
  return value->ToText();
}

// The number at the start of a count's text, read as in the C locale whatever the process's
// locale says; 0 when the text starts with none.
double CountValue(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.starts_with('+')) text.remove_prefix(1);
  double value = 0;
  if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) return 0;
  return value;
}

}  // namespace

std::string CountDifference(std::string_view first, std::string_view second) {
  const double a = CountValue(first);
  const double b = CountValue(second);
  // Plain decimal digits: the shortest form would write 100000 as 1e+05.
  std::array<char, 400> buffer;  // room for the largest double in fixed notation
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                       a > b ? a - b : b - a, std::chars_format::fixed);
  return ec == std::errc() ? std::string(buffer.data(), end) : std::string(kCountFailed);
}

ReportWindowModel::ReportWindowModel(const sources::DataSources& sources, Operator& op)
    : sources_(sources), operator_(op) {}

ReportWindowModel::~ReportWindowModel() = default;

void ReportWindowModel::SetGridHeader() {
  grid_.SetFormatString(kGridFormat);
  for (int column = 0; column < ReportGrid::kColumns; ++column) {
    grid_.set_column_width(column, kColumnWidths[column]);
  }
}

Status ReportWindowModel::Load() {
  if (!connection_) {
    ASSIGN_OR_RETURN(connection_, sources_.OpenConnection(core::kReportConnection));
  }
  ASSIGN_OR_RETURN(auto tables, sql::OpenSqlRecordset(connection_, kTableList));
  const std::filesystem::path data_folder = sources_.DataFolder();
  grid_.Clear();
  failed_counts_ = 0;
  pdf_status_ = Status::Ok();
  int row = 1;
  while (!tables->Eof()) {
    ASSIGN_OR_RETURN(const Value* name_value, tables->FieldByName("name"));
    grid_.SetTextMatrix(row, 0, name_value->ToText());
    const std::string name = grid_.TextMatrix(row, 0);
    const std::string query = CountQuery(name);

    Status failure;
    auto sql_count = sql::OpenSqlRecordset(connection_, query);
    Result<std::string> sql_text = sql_count.ok() ? FirstField(**sql_count) : sql_count.status();
    grid_.SetTextMatrix(row, 2, sql_text.ok() ? *sql_text : std::string(kCountFailed));
    if (!sql_text.ok()) failure = sql_text.status();

    if (!dbf::FindTableFile(data_folder, name).empty()) {
      auto fox_count = sources_.OpenRecordset(query, core::kFoxPayConnection);
      Result<std::string> fox_text = fox_count.ok() ? FirstField(**fox_count) : fox_count.status();
      grid_.SetTextMatrix(row, 1, fox_text.ok() ? *fox_text : std::string(kCountFailed));
      if (!fox_text.ok() && failure.ok()) failure = fox_text.status();
      grid_.SetTextMatrix(row, 3,
                          sql_text.ok() && fox_text.ok() ? CountDifference(*fox_text, *sql_text)
                                                         : std::string(kCountFailed));
      if (fox_count.ok()) (void)(*fox_count)->Close();
    } else {
      grid_.SetTextMatrix(row, 1, kNotExist);
      grid_.SetTextMatrix(row, 3,
                          sql_text.ok() ? std::string(kNoDifference) : std::string(kCountFailed));
    }
    // One failing table no longer stops the reconciliation: its error is shown once.
    if (!failure.ok()) {
      operator_.ShowError(failure.WithContext(name));
      ++failed_counts_;
    }

    RETURN_IF_ERROR(tables->MoveNext());
    grid_.set_rows(grid_.rows() + 1);
    ++row;
  }
  grid_.set_rows(grid_.rows() - 1);
  SetGridHeader();
  ASSIGN_OR_RETURN(const ExportOutcome exported,
                   ExportReport(grid_, sources_.program_folder(), operator_));
  pdf_status_ = exported.pdf;
  return Status::Ok();
}

}  // namespace zuna::report
