#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/result.h"

namespace zuna::config {

// A parsed INI file such as zuna.ini. Section and key names compare without regard to ASCII
// case; values are trimmed of blanks, and a ';' or '#' that starts a line or follows a blank
// begins a comment.
class IniFile {
 public:
  IniFile() = default;

  // A missing file is an empty configuration; an unreadable one (a folder, no read access,
  // bytes that are not text) is an error. UTF-8, ANSI and UTF-16 with a byte-order mark are
  // read; a UTF-8 byte-order mark is dropped.
  static Result<IniFile> Load(const std::filesystem::path& path);
  static IniFile Parse(std::string_view text);

  bool HasSection(std::string_view section) const;
  // The value, or nothing when the section or key is absent.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  std::string GetOr(std::string_view section, std::string_view key,
                    std::string_view fallback) const;

 private:
  std::map<std::string, std::map<std::string, std::string>> sections_;
};

}  // namespace zuna::config
