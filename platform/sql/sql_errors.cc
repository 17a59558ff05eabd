#include "platform/sql/sql_errors.h"

#include <string>

namespace zuna::sql {

Status InvalidObjectName(std::string_view name) {
  return Status(ErrorKind::kNotFound, kErrInvalidObjectName,
                "Invalid object name '" + std::string(name) + "'.");
}

Status InvalidColumnName(std::string_view name) {
  return Status(ErrorKind::kNotFound, kErrInvalidColumnName,
                "Invalid column name '" + std::string(name) + "'.");
}

Status Refused(long number, std::string description) {
  return Status(ErrorKind::kRefused, number, std::move(description));
}

}  // namespace zuna::sql
