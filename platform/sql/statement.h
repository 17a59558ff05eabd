#pragma once

#include <string>
#include <string_view>
#include <vector>

// Statement texts the SQL engines build or tell apart.
namespace zuna::sql {

// True when the text starts with SELECT or WITH (after blanks, comments and parentheses): a
// statement that returns rows.
bool IsQuery(std::string_view text);

// "INSERT INTO t (a, b) VALUES (?, ?)" for `columns`, or "INSERT INTO t DEFAULT VALUES" when
// there are none; `quote` makes each name safe in the engine's own way.
std::string InsertText(std::string_view table, const std::vector<std::string_view>& columns,
                       std::string (*quote)(std::string_view));

}  // namespace zuna::sql
