#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zuna::sql {

// How long a lost server connection is tried again before the import stops: the seconds in
// ZUNA_RECONNECT_WAIT (the tests shorten it), else 30 s. Every server path reads it here.
inline constexpr const char* kReconnectWaitVariable = "ZUNA_RECONNECT_WAIT";
std::chrono::milliseconds DefaultReconnectWait();

// The items of a fault seam's list ("lost-at-copy:2,server-stays-down"), in their order, the
// empty ones left out.
std::vector<std::string_view> FaultItems(std::string_view list);

// A seam's pause: creates `file` and waits until the test removes it (at most 10 minutes), so
// that a test acts at the same moment of the run every time.
void PauseWhileFileExists(const std::string& file);

// The count of a fault item: plain digits, above zero; nothing when the text is not one.
std::optional<std::uint64_t> FaultCount(std::string_view text);

// The "N:FILE" after a pause item's name: leaves N in `rest` and returns FILE (which may hold
// colons of its own); nothing when no file is named.
std::optional<std::string_view> TakePauseFile(std::string_view& rest);

}  // namespace zuna::sql
