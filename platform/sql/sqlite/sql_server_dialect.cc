#include "platform/sql/sqlite/sql_server_dialect.h"

#include <utility>

#include "platform/recordset/quoted_name.h"
#include "platform/sql/dialect/server_dialect.h"
#include "platform/sql/dialect/sql_server_text.h"
#include "platform/text/ascii.h"

namespace zuna::sql::sqlite {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '#' || c == '@';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string CatalogViewsSql() {
  // The same selects answer the two views for SQLite reached through its ODBC driver.
  const dialect::ServerDialect sqlite = dialect::ServerDialect::Sqlite();
  return "CREATE TEMP VIEW IF NOT EXISTS " + std::string(kSysTablesView) + " AS " +
         std::string(sqlite.tables_select()) + ";CREATE TEMP VIEW IF NOT EXISTS " +
         std::string(kInformationSchemaColumnsView) + " AS " +
         std::string(sqlite.columns_select()) + ";";
}

std::size_t SkipBlanksAndComments(std::string_view text) {
  return dialect::SkipBlanksAndComments(text);
}

std::string TranslateCatalogNames(std::string_view text, bool* translated) {
  dialect::CatalogRewrite rewrite;
  rewrite.sys_tables = kSysTablesView;
  rewrite.information_schema_columns = kInformationSchemaColumnsView;
  dialect::RewrittenText rewritten = dialect::RewriteSqlServerText(text, rewrite);
  if (translated) *translated = rewritten.catalog_names;
  return std::move(rewritten.text);
}

std::optional<DatabaseCommand> ParseDatabaseCommand(std::string_view text) {
  std::size_t pos = SkipBlanksAndComments(text);
  const auto word = [&](std::string_view wanted) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && IsNameChar(text[pos])) ++pos;
    if (text::LowerAscii(text.substr(start, pos - start)) == wanted) return true;
    pos = start;
    return false;
  };
  DatabaseCommand command{};
  if (word("create") && word("database")) {
    command.kind = DatabaseCommand::Kind::kCreate;
  } else if (word("drop") && word("database")) {
    command.kind = DatabaseCommand::Kind::kDrop;
  } else if (word("use")) {
    command.kind = DatabaseCommand::Kind::kUse;
  } else {
    return std::nullopt;
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos < text.size() && (text[pos] == '[' || text[pos] == '"')) {
    const auto end =
        recordset::ReadQuotedName(text, pos, text[pos] == '[' ? ']' : '"', command.database);
    if (!end) return std::nullopt;
    pos = *end;
  } else {
    const std::size_t start = pos;
    while (pos < text.size() && IsNameChar(text[pos])) ++pos;
    command.database = std::string(text.substr(start, pos - start));
  }
  if (command.database.empty()) return std::nullopt;
  // The rest of the statement (file options of CREATE DATABASE) runs to ';' or the line end.
  while (pos < text.size() && text[pos] != ';' && text[pos] != '\n') ++pos;
  if (pos < text.size()) ++pos;
  command.length = pos;
  return command;
}

}  // namespace zuna::sql::sqlite
