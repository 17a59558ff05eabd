#include "app/cli/test_pause.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/text/ascii.h"

namespace zuna::cli {

inline constexpr std::string_view kPauseVariable = "ZUNA_TEST_PAUSE_AT";
inline constexpr std::chrono::seconds kLongestPause{60};
inline constexpr std::chrono::milliseconds kPollInterval{5};

Result<std::optional<PauseAt>> PauseFromEnvironment() {
  const char* value = std::getenv(std::string(kPauseVariable).c_str());
  if (value == nullptr) return std::optional<PauseAt>();
  const std::string_view text = value;
  const std::size_t colon = text.rfind(':');
  int rows = 0;
  if (colon == std::string_view::npos || colon == 0 ||
      !text::ParseInt(text.substr(colon + 1), rows) || rows < 0) {
    return Status(ErrorKind::kInvalidArgument, EINVAL,
                  std::string(kPauseVariable) + "=\"" + std::string(text) +
                      "\" is not understood (TABLE:ROWS)");
  }
  return std::optional<PauseAt>(
      PauseAt{std::string(text.substr(0, colon)), static_cast<std::uint64_t>(rows)});
}

void PausingObserver::RowsDone(std::string_view table, std::uint64_t rows,
                               std::uint64_t header_rows) {
  next_.RowsDone(table, rows, header_rows);
  if (paused_ || table != at_.table || rows < at_.rows) return;
  paused_ = true;
  std::fprintf(stderr, "paused at %s row %llu\n", at_.table.c_str(),
               static_cast<unsigned long long>(rows));
  std::fflush(stderr);
  const auto until = std::chrono::steady_clock::now() + kLongestPause;
  while (!stop_.requested() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace zuna::cli
