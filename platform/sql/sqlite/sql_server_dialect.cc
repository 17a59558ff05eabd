#include "platform/sql/sqlite/sql_server_dialect.h"

#include "platform/recordset/quoted_name.h"
#include "platform/text/ascii.h"

namespace zuna::sql::sqlite {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '#' || c == '@';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads "a.b" at `pos` (parts bare or bracketed) and says whether it names `schema`.`object`.
bool MatchesQualifiedName(std::string_view text, std::size_t pos, std::string_view schema,
                          std::string_view object, std::size_t& length) {
  std::size_t p = pos;
  const auto part = [&](std::string_view wanted) {
    bool bracketed = p < text.size() && text[p] == '[';
    if (bracketed) ++p;
    const std::size_t start = p;
    while (p < text.size() && IsNameChar(text[p])) ++p;
    if (text::LowerAscii(text.substr(start, p - start)) != wanted) return false;
    if (bracketed) {
      if (p >= text.size() || text[p] != ']') return false;
      ++p;
    }
    return true;
  };
  if (!part(schema) || p >= text.size() || text[p] != '.') return false;
  ++p;
  if (!part(object)) return false;
  if (p < text.size() && IsNameChar(text[p])) return false;
  length = p - pos;
  return true;
}

}  // namespace

std::string CatalogViewsSql() {
  // data_type is the type name without its length; character_maximum_length the length of
  // character types (-1 for max), null for the others: as SQL Server's views give them.
  return std::string("CREATE TEMP VIEW IF NOT EXISTS ") + std::string(kSysTablesView) +
         " AS SELECT name COLLATE NOCASE AS name FROM main.sqlite_schema "
         "WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\';"
         "CREATE TEMP VIEW IF NOT EXISTS " +
         std::string(kInformationSchemaColumnsView) +
         " AS SELECT m.name AS table_name, p.name AS column_name, p.cid + 1 AS ordinal_position,"
         " lower(trim(CASE WHEN instr(p.type, '(') > 0"
         "   THEN substr(p.type, 1, instr(p.type, '(') - 1) ELSE p.type END)) AS data_type,"
         " CASE WHEN lower(p.type) LIKE '%char(%' THEN"
         "   CASE WHEN lower(p.type) LIKE '%(max)%' THEN -1 ELSE CAST(trim(substr(p.type,"
         "   instr(p.type, '(') + 1, instr(p.type, ')') - instr(p.type, '(') - 1)) AS INTEGER) END"
         "   WHEN lower(p.type) IN ('text', 'ntext') THEN 2147483647"
         "   ELSE NULL END AS character_maximum_length,"
         " CASE WHEN p.\"notnull\" THEN 'NO' ELSE 'YES' END AS is_nullable"
         " FROM main.sqlite_schema m JOIN pragma_table_info(m.name) p"
         " WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\';";
}

std::size_t SkipBlanksAndComments(std::string_view text) {
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (text.substr(pos, 2) == "--") {
      const std::size_t end = text.find('\n', pos);
      pos = end == std::string_view::npos ? text.size() : end + 1;
    } else if (text.substr(pos, 2) == "/*") {
      const std::size_t end = text.find("*/", pos + 2);
      pos = end == std::string_view::npos ? text.size() : end + 2;
    } else {
      return pos;
    }
  }
}

std::string TranslateCatalogNames(std::string_view text, bool* translated) {
  if (translated) *translated = false;
  std::string out;
  out.reserve(text.size() + 32);
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\'' || c == '"') {
      // A literal or quoted name, with doubled quotes inside, is copied as it is.
      const std::size_t start = i++;
      while (i < text.size()) {
        if (text[i] == c) {
          if (i + 1 < text.size() && text[i + 1] == c) {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      out.append(text.substr(start, i - start));
      continue;
    }
    if (text.substr(i, 2) == "--" || text.substr(i, 2) == "/*") {
      const std::size_t skip = SkipBlanksAndComments(text.substr(i));
      out.append(text.substr(i, skip));
      i += skip;
      continue;
    }
    const bool at_word_start = i == 0 || !IsNameChar(text[i - 1]);
    std::size_t length = 0;
    if (at_word_start && MatchesQualifiedName(text, i, "sys", "tables", length)) {
      out.append(kSysTablesView);
      i += length;
      if (translated) *translated = true;
    } else if (at_word_start &&
               MatchesQualifiedName(text, i, "information_schema", "columns", length)) {
      out.append(kInformationSchemaColumnsView);
      i += length;
      if (translated) *translated = true;
    } else if (c == '[') {
      // A bracketed name, where "]]" stands for "]": SQLite's quoted form says the same.
      std::string name;
      const auto end = recordset::ReadQuotedName(text, i, ']', name);
      if (!end) {
        out.append(text.substr(i));  // left for the engine to reject
        break;
      }
      out.append(recordset::DoubleQuoteName(name));
      i = *end;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
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
