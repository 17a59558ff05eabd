#include "verify/row_hash.h"

// xxHash from Debian's libxxhash-dev, compiled into this file: a well-kept, fast 128-bit hash,
// with no library to link.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace zuna::verify {
namespace {

// Each value: one state byte, then the length of its text in four bytes.
constexpr std::size_t kValueHeader = 5;

}  // namespace

std::string& RowHasher::Begin() {
  value_start_ = buffer_.size();
  buffer_.append(kValueHeader, '\0');
  return buffer_;
}

void RowHasher::End(CanonicalState state) {
  const auto length = static_cast<std::uint32_t>(buffer_.size() - value_start_ - kValueHeader);
  buffer_[value_start_] = static_cast<char>(state);
  for (int i = 0; i < 4; ++i) {
    buffer_[value_start_ + 1 + static_cast<std::size_t>(i)] =
        static_cast<char>((length >> (8 * i)) & 0xFF);
  }
}

void RowHasher::Add(CanonicalState state, std::string_view text) {
  Begin() += text;
  End(state);
}

RowHash RowHasher::Finish() const {
  const XXH128_hash_t hash = XXH3_128bits(buffer_.data(), buffer_.size());
  return {hash.high64, hash.low64};
}

}  // namespace zuna::verify
