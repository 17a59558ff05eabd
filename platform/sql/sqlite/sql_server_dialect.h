#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zuna::sql::sqlite {

// Names of the views that stand in for SQL Server's catalog views on every connection.
inline constexpr std::string_view kSysTablesView = "zuna_sys_tables";
inline constexpr std::string_view kInformationSchemaColumnsView = "zuna_information_schema_columns";

// The statements that create those views (temporary, per connection).
std::string CatalogViewsSql();

// Rewrites the SQL Server catalog names the tool uses (sys.Tables, information_schema.Columns,
// any case) into the views above, and bracketed names ([personnel-del], [a]]b]) into SQLite's
// double-quoted form. String literals, quoted names and comments stay untouched.
// `translated`, when given, says whether any name was rewritten (the views are then needed).
std::string TranslateCatalogNames(std::string_view text, bool* translated = nullptr);

// The statements the engine carries out itself, since SQLite has no databases to create.
struct DatabaseCommand {
  enum class Kind { kCreate, kDrop, kUse };
  Kind kind;
  std::string database;
  std::size_t length;  // characters of the text the command takes, its ';' or line end included
};

// Recognises CREATE DATABASE, DROP DATABASE and USE at the start of `text` (after blanks).
std::optional<DatabaseCommand> ParseDatabaseCommand(std::string_view text);

// How many leading characters of `text` are blanks and comments.
std::size_t SkipBlanksAndComments(std::string_view text);

}  // namespace zuna::sql::sqlite
