#include "platform/sql/statement.h"

#include "platform/text/ascii.h"

namespace zuna::sql {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool IsQuery(std::string_view text) {
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '(')) ++pos;
    if (text.substr(pos, 2) == "--") {
      pos = text.find('\n', pos);
      if (pos == std::string_view::npos) return false;
      continue;
    }
    if (text.substr(pos, 2) == "/*") {
      pos = text.find("*/", pos + 2);
      if (pos == std::string_view::npos) return false;
      pos += 2;
      continue;
    }
    break;
  }
  const std::string head = text::LowerAscii(text.substr(pos, 6));
  return head == "select" || head.starts_with("with") || head.starts_with("pragma");
}

}  // namespace zuna::sql
