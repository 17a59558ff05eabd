#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zuna::recordset {

// The two statement forms the tool sends to a table, which every data source reads: "select *
// from NAME" and "select count(*) from NAME", the name bare or in square brackets (a doubled ']'
// inside the brackets stands for one). Keywords in any case; blanks and a closing ';' are free.
struct SimpleSelect {
  enum class Kind { kSelectAll, kCount };
  Kind kind = Kind::kSelectAll;
  std::string table;
};

std::optional<SimpleSelect> ParseSimpleSelect(std::string_view text);

}  // namespace zuna::recordset
