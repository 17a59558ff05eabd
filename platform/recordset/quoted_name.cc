#include "platform/recordset/quoted_name.h"

namespace zuna::recordset {

std::string QuoteName(std::string_view name, char open, char close) {
  std::string out(1, open);
  out.reserve(name.size() + 2);
  for (const char c : name) {
    out.push_back(c);
    if (c == close) out.push_back(close);
  }
  out.push_back(close);
  return out;
}

std::string BracketName(std::string_view name) { return QuoteName(name, '[', ']'); }

std::string DoubleQuoteName(std::string_view name) { return QuoteName(name, '"', '"'); }

std::optional<std::size_t> ReadQuotedName(std::string_view text, std::size_t start, char close,
                                          std::string& name) {
  name.clear();
  for (std::size_t pos = start + 1; pos < text.size(); ++pos) {
    if (text[pos] != close) {
      name.push_back(text[pos]);
    } else if (pos + 1 < text.size() && text[pos + 1] == close) {
      name.push_back(close);
      ++pos;
    } else {
      return pos + 1;
    }
  }
  return std::nullopt;
}

}  // namespace zuna::recordset
