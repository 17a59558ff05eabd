#include "scripts/batch_splitter.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/text/ascii.h"

namespace zuna::scripts {
namespace {

constexpr std::uint64_t kNoSeparator = 0;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The repeat count of a separator line ("GO", "go 3"), or kNoSeparator when the line is no
// separator. A count too large for 64 bits comes back as the largest number.
std::uint64_t SeparatorCount(std::string_view line) {
  line = text::Trim(line, text::kSpacesAndTabs);
  if (line.size() < 2) return kNoSeparator;
  const char g = line[0], o = line[1];
  if ((g != 'G' && g != 'g') || (o != 'O' && o != 'o')) return kNoSeparator;
  std::string_view rest = line.substr(2);
  if (rest.empty()) return 1;
  if (!IsBlank(rest.front())) return kNoSeparator;
  rest = text::Trim(rest, text::kSpacesAndTabs);
  std::uint64_t count = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), count);
  if (end != rest.data() + rest.size()) return kNoSeparator;
  if (ec == std::errc::result_out_of_range) return std::numeric_limits<std::uint64_t>::max();
  if (ec != std::errc()) return kNoSeparator;
  return count;
}

bool OnlyBlanks(std::string_view s) {
  for (char c : s) {
    if (!IsBlank(c) && c != '\r' && c != '\n') return false;
  }
  return true;
}

}  // namespace

Result<std::vector<Batch>> SplitBatches(std::string_view text) {
  std::vector<Batch> batches;
  std::string batch;
  std::size_t pos = 0;
  std::size_t line_number = 0;
  while (pos < text.size()) {
    ++line_number;
    std::size_t end = text.find_first_of("\r\n", pos);
    std::size_t next = end;
    if (end == std::string_view::npos) {
      end = next = text.size();
    } else {
      next = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    const std::string_view line = text.substr(pos, end - pos);
    if (const std::uint64_t count = SeparatorCount(line); count > kMaxBatchRepeat) {
      return Status(ErrorKind::kInvalidArgument, kErrOverflow,
                    "Overflow: line " + std::to_string(line_number) + " \"" +
                        std::string(text::Trim(line, text::kSpacesAndTabs)) +
                        "\" asks for more than " + std::to_string(kMaxBatchRepeat) +
                        " runs of its batch");
    } else if (count != kNoSeparator) {
      if (!OnlyBlanks(batch)) batches.push_back({batch, static_cast<int>(count)});
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
