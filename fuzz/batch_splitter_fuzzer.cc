// The script runner's batch splitter on arbitrary text. A text whose lines are never only GO
// must come back whole, as one batch (or none when it is blank).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "scripts/batch_splitter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto split = zuna::scripts::SplitBatches(text);
  if (!split.ok()) {
    // Only a repeat count beyond the bound is refused.
    if (split.status().number() != zuna::scripts::kErrOverflow) std::abort();
    return 0;
  }
  const std::vector<zuna::scripts::Batch>& batches = *split;
  std::size_t total = 0;
  for (const zuna::scripts::Batch& batch : batches) {
    total += batch.text.size();
    if (batch.repeat < 1 || batch.repeat > zuna::scripts::kMaxBatchRepeat) std::abort();
  }
  // The batches hold no more than the text: separators are left out, nothing is copied.
  if (total > text.size()) std::abort();
  bool has_go_line = false;
  std::size_t start = 0;
  while (start <= text.size() && !has_go_line) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line.size() - first >= 2 &&
        (line[first] == 'G' || line[first] == 'g') &&
        (line[first + 1] == 'O' || line[first + 1] == 'o')) {
      has_go_line = true;  // a candidate separator: the invariant below no longer applies
    }
    start = end + 1;
  }
  if (!has_go_line && batches.size() == 1 && (batches[0].text != text || batches[0].repeat != 1)) {
    std::abort();
  }
  if (!has_go_line && batches.size() > 1) std::abort();
  return 0;
}
