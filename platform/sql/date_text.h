#pragma once

#include <string>
#include <string_view>

#include "platform/base/value.h"

// Dates as SQL Server's texts give them and as the embedded engine stores them.
namespace zuna::sql {

// Parses a date or datetime text: "dd/mm/yyyy", "dd/mm/yyyy hh:mm[:ss]", "yyyy-mm-dd",
// "yyyy-mm-dd hh:mm:ss[.fff]" (or with a 'T'). False when the text is none of these or names no
// real day.
bool ParseDateText(std::string_view text, CivilDate& date, CivilTime& time);

// The stored text of a date or datetime column: "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss[.fff]".
std::string FormatStoredDate(const CivilDate& date);
std::string FormatStoredDateTime(const CivilDate& date, const CivilTime& time);
void AppendStoredDate(std::string& out, const CivilDate& date);
void AppendStoredDateTime(std::string& out, const CivilDate& date, const CivilTime& time);

}  // namespace zuna::sql
