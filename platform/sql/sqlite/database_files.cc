#include "platform/sql/sqlite/database_files.h"

#include <sqlite3.h>

#include <string>
#include <system_error>

#include "platform/sql/sql_errors.h"
#include "platform/sql/sqlite/sqlite_errors.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "platform/text/ascii.h"

namespace zuna::sql::sqlite {

namespace fs = std::filesystem;

namespace {

// Written when a database is created: 16 KiB pages hold a wide payroll row with room to spare
constexpr const char* kNewDatabasePragmas =
    "PRAGMA page_size = 16384; PRAGMA application_id = 0x5A554E41;";

// Creates the file of a new database and writes its first page.
Status CreateDatabaseFile(const fs::path& file, const char* layer) {
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, layer);
  Status made;
  if (rc != SQLITE_OK) {
    made = Status(
        IsStorageFailure(rc) ? ErrorKind::kStorage : ErrorKind::kDatabase, rc,
        std::string(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)) + " (" + file.string() + ")");
  } else if (sqlite3_exec(raw, kNewDatabasePragmas, nullptr, nullptr, nullptr) != SQLITE_OK) {
    const int code = sqlite3_extended_errcode(raw);
    made = Status(IsStorageFailure(code) ? ErrorKind::kStorage : ErrorKind::kDatabase, code,
                  std::string(sqlite3_errmsg(raw)) + " (" + file.string() + ")");
  }
  if (const int closed = sqlite3_close(raw); closed != SQLITE_OK && made.ok()) {
    made = Status(ErrorKind::kDatabase, closed, "cannot close " + file.string());
  }
  return made;
}

}  // namespace

bool IsMasterCatalog(std::string_view catalog) {
  return text::LowerAscii(catalog) == kMasterCatalog;
}

fs::path DatabaseFile(const fs::path& server_folder, std::string_view catalog) {
  return server_folder / (std::string(catalog) + ".db");
}

Status CreateDatabase(const fs::path& server_folder, std::string_view name) {
  const fs::path file = DatabaseFile(server_folder, name);
  std::error_code ec;
  if (IsMasterCatalog(name) || fs::exists(file, ec)) {
    return Status(
        ErrorKind::kDatabase, kErrDatabaseExists,
        "Database '" + std::string(name) + "' already exists. Choose a different database name.");
  }
  ASSIGN_OR_RETURN(const char* layer, StorageLayerName());
  Status made = CreateDatabaseFile(file, layer);
  if (!made.ok()) {
    // A database that was not created leaves no file behind: an empty one would stand in the
    // way of the next CREATE DATABASE ("already exists") and open as an empty database.
    fs::remove(file, ec);
    fs::remove(file.string() + "-journal", ec);
  }
  return made;
}

Status DropDatabase(const fs::path& server_folder, std::string_view name) {
  const fs::path file = DatabaseFile(server_folder, name);
  std::error_code ec;
  if (IsMasterCatalog(name) || !fs::exists(file, ec)) {
    return Status(ErrorKind::kDatabase, kErrCannotDropDatabase,
                  "Cannot drop the database '" + std::string(name) +
                      "', because it does not exist or you do not have permission.");
  }
  fs::remove(file, ec);
  if (ec) return Status(ErrorKind::kIoError, ec.value(), file.string() + ": " + ec.message());
  fs::remove(file.string() + "-wal", ec);
  fs::remove(file.string() + "-shm", ec);
  return Status::Ok();
}

}  // namespace zuna::sql::sqlite
