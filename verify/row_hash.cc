#include "verify/row_hash.h"

// xxHash from Debian's libxxhash-dev, compiled into this file: a well-kept, fast 128-bit hash,
// with no library to link.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace zuna::verify {

void RowHasher::Add(CanonicalState state, std::string_view text) {
  Begin() += text;
  End(state);
}

RowHash RowHasher::Finish() const {
  const XXH128_hash_t hash = XXH3_128bits(buffer_.data(), buffer_.size());
  return {hash.high64, hash.low64};
}

}  // namespace zuna::verify
