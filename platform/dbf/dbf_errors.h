#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/base/status.h"

namespace zuna::dbf {

// FoxPro's own error numbers, as its ODBC driver reports them.
inline constexpr long kErrFileDoesNotExist = 1;
inline constexpr long kErrDataTypeMismatch = 9;
inline constexpr long kErrNotATable = 15;
inline constexpr long kErrUnrecognizedCommand = 36;
inline constexpr long kErrNumericOverflow = 39;
inline constexpr long kErrMemoFileInvalid = 41;
inline constexpr long kErrInvalidDate = 2034;

// Why a stored value cannot be read.
enum class ValueFault {
  kNone,
  kDataTypeMismatch,  // bytes that are no number or logical
  kNumericOverflow,   // the asterisks of a number that did not fit, or more digits than kept
  kInvalidDate,       // a date or datetime that does not exist
};

// `raw` for a message: printable ASCII as it is, a backslash and every other byte as \xNN, so a
// message shows what is stored.
std::string ShownBytes(std::string_view raw);

// "<file>: not a table: <what>".
Status NotATable(const std::filesystem::path& file, std::string_view what);
// "<file>: memo file is missing or invalid: <what>".
Status MemoInvalid(const std::filesystem::path& file, std::string_view what);
// "<file>: <FoxPro's text for the fault>: field <field> holds '<raw>'", with the fault's number.
// Bytes of `raw` outside printable ASCII are written as \xNN, so the log shows what is stored.
Status UndecodableValue(const std::filesystem::path& file, ValueFault fault, std::string_view field,
                        std::string_view raw);

}  // namespace zuna::dbf
