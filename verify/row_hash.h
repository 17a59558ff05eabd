#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "verify/canonical_value.h"

namespace zuna::verify {

// A 128-bit hash of one canonical row: two rows with different values collide with a
// probability of about 2^-128, so equal hashes stand for equal rows even over millions of rows.
struct RowHash {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  friend bool operator==(const RowHash&, const RowHash&) = default;
  friend auto operator<=>(const RowHash&, const RowHash&) = default;
};

// Builds the hash of a canonical row one value at a time. Each value goes in with its state and
// its length, so ("ab", "c") and ("a", "bc") differ, and so do NULL and the text "NULL". The
// buffer is kept between rows.
class RowHasher {
 public:
  void Clear() { buffer_.clear(); }
  // Starts a value: its canonical text is appended to the returned buffer, then End() closes it.
  std::string& Begin();
  void End(CanonicalState state);
  // Adds a finished value.
  void Add(CanonicalState state, std::string_view text);
  RowHash Finish() const;

 private:
  std::string buffer_;
  std::size_t value_start_ = 0;
};

}  // namespace zuna::verify
