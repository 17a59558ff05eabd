#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"

namespace zuna::config {

// One setting as it stands in the file, with the line it stands on (lines count from 1).
struct IniEntry {
  std::string section;  // lower case, as looked up
  std::string key;      // lower case
  std::string key_as_written;
  std::string value;
  int line = 0;
};

// A line the parser could not read as a section or a setting, or a setting it had to pass over.
struct IniProblem {
  int line = 0;
  std::string text;  // what is wrong, for a message that names the line
};

// A parsed INI file such as zuna.ini. Section and key names compare without regard to ASCII
// case; values are trimmed of blanks, and a ';' or '#' that starts a line or follows a blank
// begins a comment. A key given twice in a section keeps its last value. What the parser passes
// over (a line that is neither "[section]" nor "key = value", a setting before the first
// section, a key given again) is kept in problems() with its line, so that a front end can say
// so instead of ignoring it unsaid.
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

  // The line of the section's first header, or 0 when the file has no such section.
  int SectionLine(std::string_view section) const;
  // The line of the setting's value in effect, or 0 when it is absent.
  int KeyLine(std::string_view section, std::string_view key) const;

  // The sections in the order they first appear, lower case, each with its header's line.
  const std::vector<std::pair<std::string, int>>& sections() const { return section_order_; }
  // Every setting in effect, in the order of the file.
  std::vector<IniEntry> Entries() const;
  const std::vector<IniProblem>& problems() const { return problems_; }

 private:
  struct Setting {
    std::string value;
    std::string key_as_written;
    int line = 0;
  };
  std::map<std::string, std::map<std::string, Setting>> sections_;
  std::vector<std::pair<std::string, int>> section_order_;
  std::vector<IniProblem> problems_;
};

}  // namespace zuna::config
