#include "platform/dbf/dbf_errors.h"

#include <string>

namespace zuna::dbf {

Status NotATable(const std::filesystem::path& file, std::string_view what) {
  return Status(ErrorKind::kCorrupt, kErrNotATable,
                file.string() + ": not a table: " + std::string(what));
}

Status MemoInvalid(const std::filesystem::path& file, std::string_view what) {
  return Status(ErrorKind::kCorrupt, kErrMemoFileInvalid,
                file.string() + ": memo file is missing or invalid: " + std::string(what));
}

}  // namespace zuna::dbf
