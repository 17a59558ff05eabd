#include "scripts/batch_splitter.h"

#include <charconv>

namespace zuna::scripts {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The repeat count of a separator line ("GO", "go 3"), or 0 when the line is no separator.
int SeparatorCount(std::string_view line) {
  line = TrimBlanks(line);
  if (line.size() < 2) return 0;
  const char g = line[0], o = line[1];
  if ((g != 'G' && g != 'g') || (o != 'O' && o != 'o')) return 0;
  std::string_view rest = line.substr(2);
  if (rest.empty()) return 1;
  if (!IsBlank(rest.front())) return 0;
  rest = TrimBlanks(rest);
  int count = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), count);
  if (ec != std::errc() || end != rest.data() + rest.size() || count < 1) return 0;
  return count;
}

bool OnlyBlanks(std::string_view s) {
  for (char c : s) {
    if (!IsBlank(c) && c != '\r' && c != '\n') return false;
  }
  return true;
}

}  // namespace

std::vector<Batch> SplitBatches(std::string_view text) {
  std::vector<Batch> batches;
  std::string batch;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    std::size_t next = end;
    if (end == std::string_view::npos) {
      end = next = text.size();
    } else {
      next = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    const std::string_view line = text.substr(pos, end - pos);
    if (const int count = SeparatorCount(line); count > 0) {
      if (!OnlyBlanks(batch)) batches.push_back({batch, count});
      batch.clear();
    } else {
      batch.append(text.substr(pos, next - pos));
    }
    pos = next;
  }
  if (!OnlyBlanks(batch)) batches.push_back({batch, 1});
  return batches;
}

}  // namespace zuna::scripts
