#include "platform/dbf/dbf_errors.h"

#include <cstdio>
#include <string>

namespace zuna::dbf {

std::string ShownBytes(std::string_view raw) {
  std::string shown;
  for (unsigned char c : raw) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      shown.push_back(static_cast<char>(c));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    }
  }
  return shown;
}

Status NotATable(const std::filesystem::path& file, std::string_view what) {
  return Status(ErrorKind::kCorrupt, kErrNotATable,
                file.string() + ": not a table: " + std::string(what));
}

Status MemoInvalid(const std::filesystem::path& file, std::string_view what) {
  return Status(ErrorKind::kCorrupt, kErrMemoFileInvalid,
                file.string() + ": memo file is missing or invalid: " + std::string(what));
}

Status UndecodableValue(const std::filesystem::path& file, ValueFault fault, std::string_view field,
                        std::string_view raw) {
  long number = kErrDataTypeMismatch;
  std::string_view text = "data type mismatch";
  switch (fault) {
    case ValueFault::kNone:
    case ValueFault::kDataTypeMismatch:
      break;
    case ValueFault::kNumericOverflow:
      number = kErrNumericOverflow;
      text = "numeric overflow, data was lost";
      break;
    case ValueFault::kInvalidDate:
      number = kErrInvalidDate;
      text = "date/datetime evaluated to an invalid value";
      break;
  }
  return Status(ErrorKind::kCorrupt, number,
                file.string() + ": " + std::string(text) + ": field " + std::string(field) +
                    " holds '" + ShownBytes(raw) + "'");
}

}  // namespace zuna::dbf
