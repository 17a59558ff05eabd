#include "platform/sql/postgres/copy_faults.h"

#include <atomic>
#include <cstdlib>
#include <optional>

#include "platform/sql/fault_settings.h"

namespace zuna::sql::postgres {

Result<CopyFaults> ParseCopyFaults(std::string_view text) {
  CopyFaults faults;
  const auto unreadable = [](std::string_view item) {
    return Status(ErrorKind::kInvalidArgument, 0,
                  std::string(kCopyFaultsVariable) + ": \"" + std::string(item) +
                      "\" is not lost-at-copy:N, lost-answer-at-copy:N, server-stays-down, "
                      "pause-at-copy:N:FILE or rows-per-copy:N");
  };
  for (const std::string_view item : FaultItems(text)) {
    if (item == "server-stays-down") {
      faults.server_gone = true;
      continue;
    }
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos) return unreadable(item);
    const std::string_view name = item.substr(0, colon);
    std::string_view rest = item.substr(colon + 1);
    std::optional<std::string_view> file;
    if (name == "pause-at-copy") {
      file = TakePauseFile(rest);
      if (!file) return unreadable(item);
    }
    const std::optional<std::uint64_t> number = FaultCount(rest);
    if (!number) return unreadable(item);
    if (name == "lost-at-copy") {
      faults.drop_before_copy = *number;
    } else if (name == "lost-answer-at-copy") {
      faults.lose_answer_of_copy = *number;
    } else if (name == "pause-at-copy") {
      faults.pause_before_copy = *number;
      faults.pause_file = std::string(*file);
    } else if (name == "rows-per-copy") {
      faults.rows_per_copy = static_cast<std::size_t>(*number);
    } else {
      return unreadable(item);
    }
  }
  return faults;
}

Result<const CopyFaults*> EnvironmentCopyFaults() {
  // Read once: every connection of the process sees the same faults.
  static const Result<std::optional<CopyFaults>> environment =
      []() -> Result<std::optional<CopyFaults>> {
    const char* text = std::getenv(kCopyFaultsVariable);
    if (text == nullptr || *text == '\0') return std::optional<CopyFaults>();
    auto parsed = ParseCopyFaults(text);
    if (!parsed.ok()) return parsed.status();
    return std::optional<CopyFaults>(std::move(parsed).value());
  }();
  if (!environment.ok()) return environment.status();
  const std::optional<CopyFaults>& faults = environment.value();
  return faults ? &*faults : nullptr;
}

std::uint64_t NextProcessCopy() {
  static std::atomic<std::uint64_t> copies{0};
  return ++copies;
}

}  // namespace zuna::sql::postgres
