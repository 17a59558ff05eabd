#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zuna::scripts {

// Splits a script into its batches. A line that holds only GO (any case, blanks around it
// allowed, optionally followed by a repeat count) ends a batch; with a count, the batch runs that
// many times. Every other character stays exactly as written, so names and literals that
// contain the letters GO (CATEGORY, 'GOVT') are never touched. Batches holding only blanks are
// left out.
std::vector<std::string> SplitBatches(std::string_view text);

}  // namespace zuna::scripts
