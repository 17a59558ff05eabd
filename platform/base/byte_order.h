#pragma once

#include <bit>
#include <cstdint>

// Integers and doubles stored in a fixed byte order (the FoxPro tables' little-endian numbers,
// the memo files' big-endian block headers), read from raw bytes whatever the machine's order.
namespace zuna {

inline std::uint16_t ReadLe16(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadLe32(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

inline std::uint64_t ReadLe64(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return std::uint64_t{ReadLe32(p)} | (std::uint64_t{ReadLe32(p + 4)} << 32);
}

inline std::int32_t ReadLeInt32(const void* bytes) {
  return static_cast<std::int32_t>(ReadLe32(bytes));
}

inline std::int64_t ReadLeInt64(const void* bytes) {
  return static_cast<std::int64_t>(ReadLe64(bytes));
}

inline double ReadLeDouble(const void* bytes) { return std::bit_cast<double>(ReadLe64(bytes)); }

inline std::uint16_t ReadBe16(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t ReadBe32(const void* bytes) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

}  // namespace zuna
