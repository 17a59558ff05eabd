#pragma once

#include <string_view>

// Statement texts the SQL engines tell apart.
namespace zuna::sql {

// True when the text starts with SELECT or WITH (after blanks, comments and parentheses): a
// statement that returns rows.
bool IsQuery(std::string_view text);

}  // namespace zuna::sql
