#pragma once

#include <string>
#include <string_view>

// ASCII helpers: names of tables, fields, fonts and keywords compare without case, and the
// system trims spaces only (tabs and inner spaces stay).
namespace zuna::text {

inline std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

inline std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace zuna::text
