#pragma once

#include <string>

#include "platform/base/value.h"
#include "platform/sql/column_type.h"

// PostgreSQL's COPY text format: one line per row, fields apart by tabs, null as \N.
namespace zuna::sql::postgres {

// Appends `value` as a field of a COPY text line for a column of `column`'s kind, in the form
// the server reads back as the value the ODBC path stores when it binds the same value for that
// column: a text column takes any value but bytes as its text form (what the embedded engine
// stores); a date, datetime, float or decimal column takes the value in ISO or exact decimal
// digits; bytes go as bytea's hex form. The server converts and refuses what remains (a text
// into a date column is read with the session's DateStyle), as it does for a bound parameter.
// Backslashes, tabs and line breaks of texts are escaped.
void AppendCopyField(const Value& value, ColumnType::Kind column, std::string& line);

// Appends `name` as a quoted name ("personnel-del", "BranchMaster"), quotes inside doubled.
void AppendQuotedName(std::string_view name, std::string& sql);

}  // namespace zuna::sql::postgres
