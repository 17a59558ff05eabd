#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/ascii.h"

namespace zuna::sql {

// The two statement forms the tool sends to a table: "select * from NAME" and
// "select count(*) from NAME", the name bare or in square brackets (a doubled ']' inside the
// brackets stands for one). Keywords in any case; blanks and a closing ';' are free.
struct SimpleSelect {
  enum class Kind { kSelectAll, kCount };
  Kind kind = Kind::kSelectAll;
  std::string table;
};

std::optional<SimpleSelect> ParseSimpleSelect(std::string_view text);

// True when the text starts with SELECT or WITH (after blanks, comments and parentheses): a
// statement that returns rows.
bool IsQuery(std::string_view text);

// `name` in square brackets, each ']' doubled: safe to put into a statement text.
std::string BracketName(std::string_view name);

// "INSERT INTO t (a, b) VALUES (?, ?)" for `columns`, or "INSERT INTO t DEFAULT VALUES" when
// there are none; `quote` makes each name safe in the engine's own way.
std::string InsertText(std::string_view table, const std::vector<std::string_view>& columns,
                       std::string (*quote)(std::string_view));

// ASCII lower case: SQL Server and FoxPro names compare without case.
using text::LowerAscii;

}  // namespace zuna::sql
