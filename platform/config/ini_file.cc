#include "platform/config/ini_file.h"

#include "platform/files/file_system.h"
#include "platform/text/ascii.h"

namespace zuna::config {
namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view StripComment(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((line[i] == ';' || line[i] == '#') &&
        (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
      return line.substr(0, i);
    }
  }
  return line;
}

}  // namespace

Result<IniFile> IniFile::Load(const std::filesystem::path& path) {
  if (!files::FileExists(path)) return IniFile();
  ASSIGN_OR_RETURN(std::string text, files::ReadAllBytes(path));
  return Parse(text);
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  std::string section;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line = Trim(StripComment(line));
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = text::LowerAscii(Trim(line.substr(1, line.size() - 2)));
      ini.sections_[section];
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    ini.sections_[section][text::LowerAscii(Trim(line.substr(0, eq)))] =
        std::string(Trim(line.substr(eq + 1)));
  }
  return ini;
}

bool IniFile::HasSection(std::string_view section) const {
  return sections_.count(text::LowerAscii(section)) != 0;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(text::LowerAscii(section));
  if (s == sections_.end()) return std::nullopt;
  const auto k = s->second.find(text::LowerAscii(key));
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

std::string IniFile::GetOr(std::string_view section, std::string_view key,
                           std::string_view fallback) const {
  auto value = Get(section, key);
  return value ? *value : std::string(fallback);
}

}  // namespace zuna::config
