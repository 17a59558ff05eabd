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
  // Both are called for every value of every row, so they are inline.
  std::string& Begin() {
    value_start_ = buffer_.size();
    buffer_.append(kValueHeader, '\0');
    return buffer_;
  }
  void End(CanonicalState state) {
    const auto length = static_cast<std::uint32_t>(buffer_.size() - value_start_ - kValueHeader);
    char* header = buffer_.data() + value_start_;
    header[0] = static_cast<char>(state);
    for (int i = 0; i < 4; ++i) header[1 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  }
  // Adds a finished value.
  void Add(CanonicalState state, std::string_view text);
  RowHash Finish() const;

 private:
  // Each value: one state byte, then the length of its text in four bytes, lowest first.
  static constexpr std::size_t kValueHeader = 5;
  std::string buffer_;
  std::size_t value_start_ = 0;
};

}  // namespace zuna::verify
