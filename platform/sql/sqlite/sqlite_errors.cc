#include "platform/sql/sqlite/sqlite_errors.h"

#include <sqlite3.h>

#include <string>
#include <utility>

#include "platform/sql/sql_errors.h"

namespace zuna::sql::sqlite {
namespace {

// The table and column of "NOT NULL constraint failed: t.c".
std::pair<std::string, std::string> ConstraintTarget(std::string_view message) {
  const std::size_t colon = message.rfind(": ");
  if (colon == std::string_view::npos) return {};
  std::string_view target = message.substr(colon + 2);
  const std::size_t comma = target.find(',');
  if (comma != std::string_view::npos) target = target.substr(0, comma);
  const std::size_t dot = target.find('.');
  if (dot == std::string_view::npos) return {std::string(target), ""};
  return {std::string(target.substr(0, dot)), std::string(target.substr(dot + 1))};
}

}  // namespace

bool IsStorageFailure(int code) {
  switch (code & 0xff) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
      return true;
    default:
      return false;
  }
}

Status EngineError(sqlite3* db, int rc, std::string_view table) {
  const std::string message = sqlite3_errmsg(db);
  const int extended = sqlite3_extended_errcode(db);
  if (extended == SQLITE_CONSTRAINT_NOTNULL) {
    auto [t, column] = ConstraintTarget(message);
    return Refused(kErrNullNotAllowed, "Cannot insert the value NULL into column '" + column +
                                           "', table '" + (table.empty() ? t : std::string(table)) +
                                           "'; column does not allow nulls. INSERT fails.");
  }
  if (extended == SQLITE_CONSTRAINT_PRIMARYKEY) {
    return Refused(kErrPrimaryKey,
                   "Violation of PRIMARY KEY constraint. Cannot insert duplicate "
                   "key in object '" +
                       std::string(table) + "'. (" + message + ")");
  }
  if (extended == SQLITE_CONSTRAINT_UNIQUE) {
    return Refused(kErrUniqueIndex, "Cannot insert duplicate key row in object '" +
                                        std::string(table) + "' with unique index. (" + message +
                                        ")");
  }
  if (message.starts_with("no such table: ")) return InvalidObjectName(message.substr(15));
  if (message.starts_with("no such column: ")) return InvalidColumnName(message.substr(16));
  const int code = extended ? extended : rc;
  return Status(IsStorageFailure(code) ? ErrorKind::kStorage : ErrorKind::kDatabase, code, message);
}

}  // namespace zuna::sql::sqlite
