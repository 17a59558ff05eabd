#include "platform/sql/odbc/connection_attributes.h"

#include "platform/text/ascii.h"

namespace zuna::sql::odbc {

std::vector<ConnectionAttribute> ParseConnectionString(std::string_view text) {
  std::vector<ConnectionAttribute> attributes;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t eq = text.find('=', pos);
    const std::size_t semicolon = text.find(';', pos);
    if (eq == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < eq)) {
      if (semicolon == std::string_view::npos) break;
      pos = semicolon + 1;  // a part without a value
      continue;
    }
    ConnectionAttribute attribute;
    attribute.key = std::string(text::Trim(text.substr(pos, eq - pos), text::kWhitespace));
    pos = eq + 1;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos < text.size() && text[pos] == '{') {
      // Up to the '}' that is not doubled; what follows it up to the ';' is ignored.
      for (++pos; pos < text.size(); ++pos) {
        if (text[pos] == '}') {
          if (pos + 1 < text.size() && text[pos + 1] == '}') {
            attribute.value.push_back('}');
            ++pos;
            continue;
          }
          ++pos;
          break;
        }
        attribute.value.push_back(text[pos]);
      }
      const std::size_t end = text.find(';', pos);
      pos = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      const std::size_t end = text.find(';', pos);
      const std::size_t stop = end == std::string_view::npos ? text.size() : end;
      attribute.value = std::string(text::Trim(text.substr(pos, stop - pos), text::kWhitespace));
      pos = end == std::string_view::npos ? text.size() : end + 1;
    }
    if (!attribute.key.empty()) attributes.push_back(std::move(attribute));
  }
  return attributes;
}

std::string FormatConnectionString(const std::vector<ConnectionAttribute>& attributes) {
  std::string text;
  for (const ConnectionAttribute& attribute : attributes) {
    if (!text.empty()) text.push_back(';');
    text += attribute.key + "=";
    const std::string_view value = attribute.value;
    const bool braced = value.find_first_of(";{}") != std::string_view::npos ||
                        (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!braced) {
      text += attribute.value;
      continue;
    }
    text.push_back('{');
    for (const char c : value) {
      text.push_back(c);
      if (c == '}') text.push_back('}');
    }
    text.push_back('}');
  }
  return text;
}

std::optional<std::string> FindAttribute(const std::vector<ConnectionAttribute>& attributes,
                                         std::string_view key) {
  std::optional<std::string> found;
  for (const ConnectionAttribute& attribute : attributes) {
    if (text::EqualsIgnoringCase(attribute.key, key)) found = attribute.value;
  }
  return found;
}

}  // namespace zuna::sql::odbc
