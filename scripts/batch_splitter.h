#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"

namespace zuna::scripts {

// One batch of a script and how many times it runs ("GO 3" runs it three times). The count is
// kept, never spelled out, so a large count costs no memory.
struct Batch {
  std::string text;
  int repeat = 1;
  friend bool operator==(const Batch&, const Batch&) = default;
};

// The most runs a GO line may ask of its batch: a larger count is a typing error, not a wish to
// keep the server busy for days.
inline constexpr int kMaxBatchRepeat = 1'000'000;

// Visual Basic's "Overflow", for a repeat count above kMaxBatchRepeat.
inline constexpr long kErrOverflow = 6;

// Splits a script into its batches. A line that holds only GO (any case, blanks around it
// allowed, optionally followed by a repeat count) ends a batch. Every other character stays
// exactly as written, so names and literals that contain the letters GO (CATEGORY, 'GOVT') are
// never touched. Batches holding only blanks are left out. A repeat count above kMaxBatchRepeat
// fails with kErrOverflow, naming the line.
Result<std::vector<Batch>> SplitBatches(std::string_view text);

}  // namespace zuna::scripts
