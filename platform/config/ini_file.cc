#include "platform/config/ini_file.h"

#include <algorithm>
#include <cerrno>

#include "platform/base/byte_order.h"
#include "platform/files/file_system.h"
#include "platform/text/ascii.h"
#include "platform/text/encoding.h"

namespace zuna::config {
namespace {

std::string_view StripComment(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((line[i] == ';' || line[i] == '#') &&
        (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
      return line.substr(0, i);
    }
  }
  return line;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

Status NotText(const std::filesystem::path& path, std::string_view why) {
  return Status(ErrorKind::kCorrupt, EILSEQ,
                path.string() + ": " + std::string(why) + "; save it as UTF-8 or ANSI text");
}

// UTF-16 code units after the byte-order mark, to UTF-8. A lone surrogate or an odd byte makes
// the file unreadable rather than a setting silently changed.
Result<std::string> Utf16ToUtf8(std::string_view bytes, bool big_endian,
                                const std::filesystem::path& path) {
  if (bytes.size() % 2 != 0) return NotText(path, "UTF-16 text with an odd number of bytes");
  const auto unit = [&](std::size_t i) -> char32_t {
    return big_endian ? ReadBe16(bytes.data() + i) : ReadLe16(bytes.data() + i);
  };
  std::string utf8;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return NotText(path, "UTF-16 text with a broken surrogate pair");
    }
    text::AppendUtf8(c, utf8);
  }
  return utf8;
}

// The file's text: UTF-8 or ANSI as it stands (a UTF-8 byte-order mark dropped), or UTF-16 with a
// byte-order mark, as Windows' Notepad saves "Unicode", decoded. A mark left in front of the
// first section's name would hide that section, and its settings would be ignored unsaid.
Result<std::string> DecodeText(std::string bytes, const std::filesystem::path& path) {
  const std::string_view view = bytes;
  if (view.starts_with(kUtf8Bom)) return bytes.substr(kUtf8Bom.size());
  if (view.starts_with(kUtf16LeBom)) return Utf16ToUtf8(view.substr(2), false, path);
  if (view.starts_with(kUtf16BeBom)) return Utf16ToUtf8(view.substr(2), true, path);
  if (view.find('\0') != std::string_view::npos) {
    return NotText(path, "NUL bytes in the text (UTF-16 without a byte-order mark?)");
  }
  return bytes;
}

}  // namespace

Result<IniFile> IniFile::Load(const std::filesystem::path& path) {
  auto bytes = files::ReadAllBytes(path);
  if (!bytes.ok() && bytes.status().number() == ENOENT) return IniFile();
  if (!bytes.ok()) return bytes.status();
  ASSIGN_OR_RETURN(const std::string text, DecodeText(std::move(bytes).value(), path));
  return Parse(text);
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  std::string section;
  bool in_section = false;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    line = text::Trim(StripComment(line), text::kWhitespace);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::string_view name =
          line.back() == ']' ? text::Trim(line.substr(1, line.size() - 2), text::kWhitespace)
                             : std::string_view();
      // The settings under a header that cannot be read belong to no section: giving them to
      // the section before it would change that section unsaid.
      in_section = !name.empty();
      if (!in_section) {
        ini.problems_.push_back(
            {number, "\"" + std::string(line) + "\" is not a [section] header; it is ignored"});
        continue;
      }
      section = text::LowerAscii(name);
      if (ini.sections_.count(section) == 0) ini.section_order_.emplace_back(section, number);
      ini.sections_[section];
      continue;
    }
    const std::size_t eq = line.find('=');
    const std::string_view key = text::Trim(line.substr(0, eq), text::kWhitespace);
    if (eq == std::string_view::npos || key.empty()) {
      ini.problems_.push_back(
          {number,
           "\"" + std::string(line) + "\" is neither [section] nor key = value; it is ignored"});
      continue;
    }
    if (!in_section) {
      ini.problems_.push_back(
          {number, std::string(key) + " belongs to no [section]; it is ignored"});
      continue;
    }
    Setting& setting = ini.sections_[section][text::LowerAscii(key)];
    if (setting.line != 0) {
      ini.problems_.push_back({setting.line, std::string(key) + " is given again on line " +
                                                 std::to_string(number) + ", which wins"});
    }
    setting = {std::string(text::Trim(line.substr(eq + 1), text::kWhitespace)), std::string(key),
               number};
  }
  std::stable_sort(ini.problems_.begin(), ini.problems_.end(),
                   [](const IniProblem& a, const IniProblem& b) { return a.line < b.line; });
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
  return k->second.value;
}

std::string IniFile::GetOr(std::string_view section, std::string_view key,
                           std::string_view fallback) const {
  auto value = Get(section, key);
  return value ? *value : std::string(fallback);
}

int IniFile::SectionLine(std::string_view section) const {
  const std::string name = text::LowerAscii(section);
  for (const auto& [known, line] : section_order_) {
    if (known == name) return line;
  }
  return 0;
}

int IniFile::KeyLine(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(text::LowerAscii(section));
  if (s == sections_.end()) return 0;
  const auto k = s->second.find(text::LowerAscii(key));
  return k == s->second.end() ? 0 : k->second.line;
}

std::vector<IniEntry> IniFile::Entries() const {
  std::vector<IniEntry> entries;
  for (const auto& [section, settings] : sections_) {
    for (const auto& [key, setting] : settings) {
      entries.push_back({section, key, setting.key_as_written, setting.value, setting.line});
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const IniEntry& a, const IniEntry& b) { return a.line < b.line; });
  return entries;
}

}  // namespace zuna::config
