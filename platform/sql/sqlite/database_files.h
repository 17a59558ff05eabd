#pragma once

#include <filesystem>
#include <string_view>

#include "platform/base/status.h"

// The embedded engine's databases: the files of a server folder. SQLite has no databases to
// create or drop, so the engine carries out CREATE DATABASE and DROP DATABASE on the files.
namespace zuna::sql::sqlite {

// The catalog every server has, held in memory: it is never a file.
inline constexpr std::string_view kMasterCatalog = "master";
bool IsMasterCatalog(std::string_view catalog);

// Database X of a server folder: the file X.db in it.
std::filesystem::path DatabaseFile(const std::filesystem::path& server_folder,
                                   std::string_view catalog);

// Creates database `name` of the server in `server_folder`: its file, with its first page
// written. A database that exists already (or master) is SQL Server's error 1801; a database
// that could not be made leaves no file behind.
Status CreateDatabase(const std::filesystem::path& server_folder, std::string_view name);

// Deletes database `name` and its journal files. A database that does not exist (or master) is
// SQL Server's error 3701.
Status DropDatabase(const std::filesystem::path& server_folder, std::string_view name);

}  // namespace zuna::sql::sqlite
