#include "platform/sql/dialect/sql_server_text.h"

#include <array>
#include <cstdint>

#include "platform/recordset/quoted_name.h"
#include "platform/text/ascii.h"

namespace zuna::sql::dialect {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '#' || c == '@';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Words after which a string literal is a value, not a column's alias: "WHERE a LIKE 'x%'",
// "THEN 'y'", "DATE '2001-02-03'".
constexpr std::array<std::string_view, 24> kWordsBeforeValues = {
    "select", "distinct", "all",    "like",    "then", "else",     "when",   "and",
    "or",     "not",      "in",     "is",      "by",   "on",       "values", "set",
    "return", "default",  "escape", "between", "case", "interval", "date",   "time"};

// Words that may follow a table in a FROM clause without being its alias.
constexpr std::array<std::string_view, 21> kWordsAfterTables = {
    "where",  "order",   "group",  "having", "join",      "inner", "left",
    "right",  "full",    "cross",  "outer",  "on",        "union", "limit",
    "offset", "natural", "window", "except", "intersect", "for",   "fetch"};

template <std::size_t N>
bool IsOneOf(std::string_view word, const std::array<std::string_view, N>& words) {
  const std::string lower = text::LowerAscii(word);
  for (const std::string_view candidate : words) {
    if (lower == candidate) return true;
  }
  return false;
}

bool IsWordBeforeValue(std::string_view word) {
  return IsOneOf(word, kWordsBeforeValues) || text::LowerAscii(word).starts_with("timestamp");
}

// Reads "a.b" at `pos` (parts bare or bracketed) and says whether it names `schema`.`object`.
bool MatchesQualifiedName(std::string_view text, std::size_t pos, std::string_view schema,
                          std::string_view object, std::size_t& length) {
  std::size_t p = pos;
  const auto part = [&](std::string_view wanted) {
    const bool bracketed = p < text.size() && text[p] == '[';
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

// The word at `pos` (after blanks and comments), or empty when a word does not come next.
std::string_view NextWord(std::string_view text, std::size_t pos) {
  pos += SkipBlanksAndComments(text.substr(pos));
  std::size_t end = pos;
  while (end < text.size() && IsNameChar(text[end])) ++end;
  return text.substr(pos, end - pos);
}

// What came last before a literal, for telling an alias from a value.
enum class Last : std::uint8_t { kNothing, kWord, kValueWord, kAliasKeyword, kClose, kOther };

// True when the text at `pos` ends a select-list item: a comma, FROM, a closing parenthesis, a
// ';' or the end.
bool EndsSelectItem(std::string_view text, std::size_t pos) {
  pos += SkipBlanksAndComments(text.substr(pos));
  if (pos >= text.size() || text[pos] == ',' || text[pos] == ')' || text[pos] == ';') return true;
  return text::LowerAscii(NextWord(text, pos)) == "from";
}

}  // namespace

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

RewrittenText RewriteSqlServerText(std::string_view text, const CatalogRewrite& rewrite) {
  RewrittenText out;
  out.text.reserve(text.size() + 32);
  Last last = Last::kNothing;
  const auto replace_catalog = [&](std::size_t& i, std::size_t length, const std::string& with,
                                   std::string_view alias) {
    i += length;
    out.catalog_names = true;
    last = Last::kWord;
    if (!rewrite.derived_tables) {
      out.text += with;
      return;
    }
    out.text += "(" + with + ")";
    // A table the text names itself keeps that name; otherwise it is known by the name of the
    // catalog view it stands for.
    const std::string_view next = NextWord(text, i);
    if (next.empty() || IsOneOf(next, kWordsAfterTables)) out.text += " AS " + std::string(alias);
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\'' || c == '"') {
      // A literal or quoted name, with doubled quotes inside.
      const std::size_t start = i++;
      bool closed = false;
      while (i < text.size()) {
        if (text[i] == c) {
          if (i + 1 < text.size() && text[i + 1] == c) {
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        ++i;
      }
      const std::string_view quoted = text.substr(start, i - start);
      const bool alias_position =
          last == Last::kAliasKeyword || last == Last::kWord || last == Last::kClose;
      if (c == '\'' && closed && rewrite.literal_aliases && alias_position &&
          EndsSelectItem(text, i)) {
        std::string name;
        (void)recordset::ReadQuotedName(quoted, 0, '\'', name);
        out.text += recordset::QuoteName(name, rewrite.open_quote, rewrite.close_quote);
      } else {
        out.text.append(quoted);
      }
      last = c == '"' ? Last::kClose : Last::kOther;
      continue;
    }
    if (text.substr(i, 2) == "--" || text.substr(i, 2) == "/*") {
      const std::size_t skip = SkipBlanksAndComments(text.substr(i));
      out.text.append(text.substr(i, skip));
      i += skip;
      continue;
    }
    const bool at_word_start = i == 0 || !IsNameChar(text[i - 1]);
    std::size_t length = 0;
    if (at_word_start && !rewrite.sys_tables.empty() &&
        MatchesQualifiedName(text, i, "sys", "tables", length)) {
      replace_catalog(i, length, rewrite.sys_tables, "Tables");
    } else if (at_word_start && !rewrite.information_schema_columns.empty() &&
               MatchesQualifiedName(text, i, "information_schema", "columns", length)) {
      replace_catalog(i, length, rewrite.information_schema_columns, "Columns");
    } else if (c == '[') {
      std::string name;
      const auto end = recordset::ReadQuotedName(text, i, ']', name);
      if (!end) {
        out.text.append(text.substr(i));  // left for the database to refuse
        break;
      }
      out.text += recordset::QuoteName(name, rewrite.open_quote, rewrite.close_quote);
      i = *end;
      last = Last::kClose;
    } else if (at_word_start && IsNameChar(c)) {
      std::size_t end = i;
      while (end < text.size() && IsNameChar(text[end])) ++end;
      const std::string_view word = text.substr(i, end - i);
      out.text.append(word);
      i = end;
      if (text::EqualsIgnoringCase(word, "as")) {
        last = Last::kAliasKeyword;
      } else {
        last = IsWordBeforeValue(word) ? Last::kValueWord : Last::kWord;
      }
    } else {
      out.text.push_back(c);
      ++i;
      if (c == ')') {
        last = Last::kClose;
      } else if (!IsBlank(c)) {
        last = Last::kOther;
      }
    }
  }
  return out;
}

bool IsTableListQuery(std::string_view text) {
  // The words of the text in lower case, one blank apart.
  std::string words;
  for (const char c : text) {
    if (IsBlank(c)) {
      if (!words.empty() && words.back() != ' ') words.push_back(' ');
    } else {
      words.push_back(text::LowerAscii(c));
    }
  }
  while (!words.empty() && (words.back() == ' ' || words.back() == ';')) words.pop_back();
  return words == "select * from sys.tables" || words == "select * from sys.tables order by name";
}

}  // namespace zuna::sql::dialect
