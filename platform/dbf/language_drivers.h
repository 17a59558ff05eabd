#pragma once

#include <cstdint>

namespace zuna::dbf {

// The code page a table declares through its language driver byte; 0 (none declared) and bytes
// the reader does not know mean Windows-1252.
int CodePageForLanguageDriver(std::uint8_t driver);

}  // namespace zuna::dbf
