#include "verify/import_log.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>

#include "platform/files/file_system.h"
#include "platform/text/encoding.h"

namespace zuna::verify {
namespace {

constexpr std::string_view kRowsNotCopied = " rows not copied";
constexpr std::string_view kRangeStart = ": rows ";
constexpr std::string_view kRangeTo = " to ";
constexpr std::size_t kReadChunk = 64 * 1024;

bool ReadNumber(std::string_view text, std::uint64_t& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

// The leading digits of `text`, advancing past them; false when there are none.
bool TakeNumber(std::string_view& text, std::uint64_t& out) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || !ReadNumber(text.substr(0, digits), out)) return false;
  text.remove_prefix(digits);
  return true;
}

// Splits `line` at tabs into at most `count` columns, the last taking the rest.
std::vector<std::string_view> Columns(std::string_view line, std::size_t count) {
  std::vector<std::string_view> columns;
  while (columns.size() + 1 < count) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) break;
    columns.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  columns.push_back(line);
  return columns;
}

}  // namespace

bool TableLog::Refused(std::uint64_t row) const {
  if (every_row_refused) return true;
  if (std::binary_search(refused_rows.begin(), refused_rows.end(), row)) return true;
  return std::any_of(refused_ranges.begin(), refused_ranges.end(),
                     [row](const RowRange& r) { return row >= r.first && row <= r.last; });
}

std::string TableLog::MessageFor(std::uint64_t row) const {
  if (auto it = row_messages.find(row); it != row_messages.end()) return it->second;
  for (const RowRange& range : refused_ranges) {
    if (row >= range.first && row <= range.last) return range.message;
  }
  return every_row_refused ? every_row_message : std::string();
}

bool TableLog::FieldLost(std::uint64_t row, std::string_view field) const {
  const auto it = lost_fields.find(row);
  return it != lost_fields.end() &&
         std::find(it->second.begin(), it->second.end(), field) != it->second.end();
}

bool TableLog::StepFailed(std::string_view step) const {
  return std::find(failed_steps.begin(), failed_steps.end(), step) != failed_steps.end();
}

void ImportLog::AddLine(std::string_view line, std::size_t kept_messages) {
  const std::vector<std::string_view> columns = Columns(line, 5);
  std::uint64_t row = 0;
  if (columns.size() < 5 || !ReadNumber(columns[1], row)) return;
  TableLog& log = tables_[std::string(columns[0])];
  const std::string_view field = columns[2];
  const std::string message = "error " + std::string(columns[3]) + ": " + std::string(columns[4]);
  if (row > 0 && field.empty()) {
    log.refused_rows.push_back(row);
    if (log.row_messages.size() < kept_messages) log.row_messages.emplace(row, message);
  } else if (row > 0) {
    log.lost_fields[row].emplace_back(field);
  } else if (!field.empty()) {
    log.failed_steps.emplace_back(field);
  } else {
    std::string_view description = columns[4];
    std::uint64_t count = 0;
    if (!TakeNumber(description, count) || !description.starts_with(kRowsNotCopied)) return;
    description.remove_prefix(kRowsNotCopied.size());
    std::uint64_t first = 0, last = 0;
    if (description.starts_with(kRangeStart)) {
      description.remove_prefix(kRangeStart.size());
      if (TakeNumber(description, first) && description.starts_with(kRangeTo)) {
        description.remove_prefix(kRangeTo.size());
        if (TakeNumber(description, last) && first <= last) {
          log.refused_ranges.push_back({first, last, message});
          return;
        }
      }
    }
    log.every_row_refused = true;
    log.every_row_message = message;
  }
}

void ImportLog::Done() {
  for (auto& [name, log] : tables_) std::sort(log.refused_rows.begin(), log.refused_rows.end());
}

const TableLog& ImportLog::Of(std::string_view table) const {
  static const TableLog empty;
  const auto it = tables_.find(table);
  return it == tables_.end() ? empty : it->second;
}

Result<ImportLog> ImportLog::Read(const std::filesystem::path& path, std::size_t kept_messages) {
  ImportLog log;
  files::FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    if (errno == ENOENT) return log;
    return files::ErrnoStatus(errno, path);
  }
  log.present_ = true;
  // UTF-16 LE after its byte-order mark, decoded in chunks so a long log needs no more memory
  // than its longest line.
  std::string bytes(kReadChunk, '\0');
  std::string line;
  bool first_unit = true;
  char32_t high_surrogate = 0;
  unsigned char pending = 0;
  bool has_pending = false;
  std::size_t got = 0;
  while ((got = std::fread(bytes.data(), 1, bytes.size(), file.get())) > 0) {
    for (std::size_t i = 0; i < got; ++i) {
      if (!has_pending) {
        pending = static_cast<unsigned char>(bytes[i]);
        has_pending = true;
        continue;
      }
      has_pending = false;
      const char32_t unit = pending | (static_cast<unsigned char>(bytes[i]) << 8);
      if (first_unit) {
        first_unit = false;
        if (unit == 0xFEFF) continue;
      }
      if (unit >= 0xD800 && unit < 0xDC00) {
        high_surrogate = unit;
        continue;
      }
      char32_t code_point = unit;
      if (unit >= 0xDC00 && unit < 0xE000) {
        code_point = high_surrogate != 0
                         ? 0x10000 + ((high_surrogate - 0xD800) << 10) + (unit - 0xDC00)
                         : 0xFFFD;
      }
      high_surrogate = 0;
      if (code_point == '\n') {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        log.AddLine(line, kept_messages);
        line.clear();
      } else {
        text::AppendUtf8(code_point, line);
      }
    }
  }
  if (std::ferror(file.get())) return files::ErrnoStatus(EIO, path);
  if (!line.empty()) log.AddLine(line, kept_messages);
  log.Done();
  return log;
}

}  // namespace zuna::verify
