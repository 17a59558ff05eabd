#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reading the tool's SQL Server texts to put them into another database's words: the one
// rewriting that the embedded engine and the ODBC servers share.
namespace zuna::sql::dialect {

// What a database says instead of SQL Server's words.
struct CatalogRewrite {
  // A name read from SQL Server's [brackets] is written between these (the closing one doubled
  // inside it).
  char open_quote = '"';
  char close_quote = '"';
  // What stands for sys.Tables and for information_schema.Columns; empty leaves the name.
  std::string sys_tables;
  std::string information_schema_columns;
  // The two above are SELECT texts, written as derived tables: in parentheses, with an alias
  // (Tables, Columns) unless the text gives one. Otherwise they are names of views.
  bool derived_tables = false;
  // A string literal standing as a column's alias ("column_name 'Column Name'"), which SQL
  // Server reads and PostgreSQL refuses, is written as a quoted name.
  bool literal_aliases = false;
};

struct RewrittenText {
  std::string text;
  bool catalog_names = false;  // sys.Tables or information_schema.Columns was replaced
};

// Rewrites the SQL Server names in `text` as `rewrite` says: bracketed names ([personnel-del],
// [a]]b]), sys.Tables and information_schema.Columns (any case, parts bare or bracketed). String
// literals, double-quoted names and comments stay as they are. An unclosed bracket is left for
// the database to refuse.
RewrittenText RewriteSqlServerText(std::string_view text, const CatalogRewrite& rewrite);

// True when `text` is the tool's table list: "SELECT * FROM sys.Tables", with "order by name"
// or without, keywords in any case, blanks free.
bool IsTableListQuery(std::string_view text);

// How many leading characters of `text` are blanks and comments (-- to the line end, /* */).
std::size_t SkipBlanksAndComments(std::string_view text);

}  // namespace zuna::sql::dialect
