#include "platform/sql/fault_settings.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace zuna::sql {

std::chrono::milliseconds DefaultReconnectWait() {
  constexpr std::chrono::milliseconds kDefault = std::chrono::seconds(30);
  const char* text = std::getenv(kReconnectWaitVariable);
  if (text == nullptr) return kDefault;
  const std::string_view value(text);
  unsigned seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc() || end != value.data() + value.size()) return kDefault;
  return std::chrono::seconds(seconds);
}

std::vector<std::string_view> FaultItems(std::string_view list) {
  std::vector<std::string_view> items;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

void PauseWhileFileExists(const std::string& file) {
  std::FILE* created = std::fopen(file.c_str(), "w");
  if (created == nullptr) return;
  std::fclose(created);
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(10);
  std::error_code error;
  while (std::filesystem::exists(file, error) && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::optional<std::uint64_t> FaultCount(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string_view> TakePauseFile(std::string_view& rest) {
  const std::size_t colon = rest.find(':');
  if (colon == std::string_view::npos || colon + 1 == rest.size()) return std::nullopt;
  const std::string_view file = rest.substr(colon + 1);
  rest = rest.substr(0, colon);
  return file;
}

}  // namespace zuna::sql
