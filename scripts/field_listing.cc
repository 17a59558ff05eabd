#include "scripts/field_listing.h"

#include <string>

#include "core/connection_texts.h"
#include "core/file_names.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/files/log_slot.h"
#include "platform/recordset/quoted_name.h"
#include "platform/sources/data_sources.h"
#include "platform/text/ascii.h"

namespace zuna::scripts {
namespace {

constexpr std::string_view kTableList = "SELECT * FROM sys.Tables order by name";
constexpr std::string_view kColumnQuery =
    " SELECT column_name 'Column Name',data_type 'Data Type',CHARacter_maximum_length "
    "'Maximum Length'From information_schema.Columns ";
constexpr std::string_view kHyphens = "----------------";
constexpr std::string_view kEquals = "============";

// `text` as a SQL string literal: a name holding an apostrophe must not end the literal early.
std::string QuotedLiteral(std::string_view text) {
  std::string literal = "'";
  for (const char c : text) {
    literal += c;
    if (c == '\'') literal += '\'';
  }
  literal += '\'';
  return literal;
}

// The column entries of one table: target columns without a FoxPro column of the same name.
Result<std::string> MissingColumns(const sources::DataSources& sources, const std::string& table) {
  const std::string select = "select * from " + recordset::BracketName(table);
  ASSIGN_OR_RETURN(auto target, sources.OpenRecordset(select, core::kPayConnection));
  ASSIGN_OR_RETURN(auto source, sources.OpenRecordset(select, core::kFoxPayConnection));
  std::string text;
  for (int i = 0; i < target->FieldCount(); ++i) {
    const std::string column(target->FieldName(i));
    const std::string_view wanted = text::Trim(column);
    bool found = false;
    for (int j = 0; j < source->FieldCount() && !found; ++j) {
      found = text::EqualsIgnoringCase(text::Trim(source->FieldName(j)), wanted);
    }
    if (found) continue;
    const std::string query = std::string(kColumnQuery) +
                              " WHERE column_name=" + QuotedLiteral(column) +
                              " and table_name = " + QuotedLiteral(table);
    ASSIGN_OR_RETURN(auto details, sources.OpenRecordset(query, core::kPayConnection));
    ASSIGN_OR_RETURN(const Value* type, details->Field(1));
    ASSIGN_OR_RETURN(const Value* length, details->Field(2));
    text += column + "-" + type->ToText() + "(" + length->ToText() + ")\r\n";
    RETURN_IF_ERROR(details->Close());
  }
  RETURN_IF_ERROR(target->Close());
  RETURN_IF_ERROR(source->Close());
  return text;
}

}  // namespace

Status WriteFieldListing(const sources::DataSources& sources, files::LogSlot& slot) {
  RETURN_IF_ERROR(slot.Open(sources.program_folder(), core::kFieldListingName));
  const std::filesystem::path data_folder = sources.DataFolder();
  ASSIGN_OR_RETURN(auto tables, sources.OpenRecordset(kTableList, core::kPayConnection));
  while (!tables->Eof()) {
    ASSIGN_OR_RETURN(const Value* name, tables->FieldByName("name"));
    const std::string table = name->ToText();
    std::string text;
    if (!dbf::FindTableFile(data_folder, table).empty()) {
      ASSIGN_OR_RETURN(text, MissingColumns(sources, table));
    }
    if (!text.empty()) {
      RETURN_IF_ERROR(slot.WriteLine(table));
      RETURN_IF_ERROR(slot.WriteLine(kHyphens));
      RETURN_IF_ERROR(slot.WriteLine(text));
      RETURN_IF_ERROR(slot.WriteLine(kEquals));
    }
    RETURN_IF_ERROR(tables->MoveNext());
  }
  return Status::Ok();
}

}  // namespace zuna::scripts
