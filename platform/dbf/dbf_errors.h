#pragma once

#include <filesystem>
#include <string_view>

#include "platform/base/status.h"

namespace zuna::dbf {

// FoxPro's own error numbers, as its ODBC driver reports them.
inline constexpr long kErrFileDoesNotExist = 1;
inline constexpr long kErrNotATable = 15;
inline constexpr long kErrUnrecognizedCommand = 36;
inline constexpr long kErrMemoFileInvalid = 41;

// "<file>: not a table: <what>".
Status NotATable(const std::filesystem::path& file, std::string_view what);
// "<file>: memo file is missing or invalid: <what>".
Status MemoInvalid(const std::filesystem::path& file, std::string_view what);

}  // namespace zuna::dbf
