#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

// ASCII helpers: names of tables, fields, fonts and keywords compare without case, and each text
// is trimmed of the blanks its own format allows, never more (the system trims spaces only: tabs
// and inner spaces stay).
namespace zuna::text {

inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kSpacesAndTabs = " \t";
inline constexpr std::string_view kWhitespace = " \t\r\n";

inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// `text` without the leading and trailing characters that are in `blanks`.
inline std::string_view Trim(std::string_view text, std::string_view blanks = kSpaces) {
  // A loop over the few blanks rather than find_first_not_of: the reader trims every number.
  const auto is_blank = [blanks](char c) {
    for (const char blank : blanks) {
      if (c == blank) return true;
    }
    return false;
  };
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && is_blank(text[first])) ++first;
  while (last > first && is_blank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// A decimal integer with blanks and tabs around it allowed; false when the text holds none or
// it does not fit.
inline bool ParseInt(std::string_view text, int& out) {
  text = Trim(text, kSpacesAndTabs);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace zuna::text
