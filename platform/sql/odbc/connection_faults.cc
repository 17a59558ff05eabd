#include "platform/sql/odbc/connection_faults.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/sql/fault_settings.h"

namespace zuna::sql::odbc {
namespace {

struct FaultState {
  std::mutex mutex;
  bool loaded = false;  // the environment was read, or faults were set
  bool unreadable = false;
  ConnectionFaults faults;
  std::uint64_t executions = 0;
  std::uint64_t commits = 0;
  std::uint64_t queries = 0;
  bool lost = false;  // a connection was found lost
};

FaultState& State() {
  static FaultState state;
  return state;
}

// Reads the environment once; the caller holds the mutex.
void LoadFromEnvironment(FaultState& state) {
  if (state.loaded) return;
  state.loaded = true;
  const char* text = std::getenv(kConnectionFaultsVariable);
  if (text == nullptr) return;
  auto parsed = ParseConnectionFaults(text);
  if (parsed.ok()) {
    state.faults = std::move(parsed).value();
    return;
  }
  state.unreadable = true;
  std::fprintf(stderr, "%s\n", parsed.status().ToString().c_str());
}

}  // namespace

void SetConnectionFaults(const ConnectionFaults& faults) {
  FaultState& state = State();
  const std::lock_guard lock(state.mutex);
  state.loaded = true;
  state.unreadable = false;
  state.faults = faults;
  state.executions = 0;
  state.commits = 0;
  state.queries = 0;
  state.lost = false;
}

Result<ConnectionFaults> ParseConnectionFaults(std::string_view text) {
  ConnectionFaults faults;
  const auto unreadable = [&](std::string_view item) {
    return Status(ErrorKind::kInvalidArgument, 0,
                  std::string(kConnectionFaultsVariable) + ": \"" + std::string(item) +
                      "\" is not lost-at-execute:N[-M], lost-at-commit:N, lost-at-query:N, "
                      "server-stays-down or pause-at-execute:N:FILE");
  };
  for (const std::string_view item : FaultItems(text)) {
    const std::size_t colon = item.find(':');
    const std::string_view name = item.substr(0, colon);
    std::string_view rest =
        colon == std::string_view::npos ? std::string_view() : item.substr(colon + 1);
    if (name == "server-stays-down" && colon == std::string_view::npos) {
      faults.server_stays_down = true;
      continue;
    }
    std::optional<std::string_view> file;
    std::optional<std::uint64_t> last;
    if (const std::size_t dash = rest.find('-');
        name == "lost-at-execute" && dash != std::string_view::npos) {
      last = FaultCount(rest.substr(dash + 1));
      rest = rest.substr(0, dash);
      if (!last) return unreadable(item);
    }
    if (name == "pause-at-execute") {
      file = TakePauseFile(rest);
      if (!file) return unreadable(item);
    }
    const std::optional<std::uint64_t> number = FaultCount(rest);
    if (!number) return unreadable(item);
    if (name == "lost-at-execute") {
      if (last && *last < *number) return unreadable(item);
      faults.lost_at_execute = *number;
      faults.lost_until_execute = last.value_or(0);
    } else if (name == "lost-at-commit") {
      faults.lost_at_commit = *number;
    } else if (name == "lost-at-query") {
      faults.lost_at_query = *number;
    } else if (name == "pause-at-execute") {
      faults.pause_at_execute = *number;
      faults.pause_file = std::string(*file);
    } else {
      return unreadable(item);
    }
  }
  return faults;
}

InjectedFault BeforeExecute() {
  FaultState& state = State();
  std::string pause_file;
  InjectedFault fault = InjectedFault::kNone;
  {
    const std::lock_guard lock(state.mutex);
    LoadFromEnvironment(state);
    const std::uint64_t execution = ++state.executions;
    const ConnectionFaults& f = state.faults;
    if (state.unreadable || execution == f.lost_at_execute ||
        (f.lost_at_execute != 0 && execution >= f.lost_at_execute &&
         execution <= f.lost_until_execute)) {
      fault = InjectedFault::kLost;
    }
    if (execution == state.faults.pause_at_execute) pause_file = state.faults.pause_file;
  }
  if (!pause_file.empty()) PauseWhileFileExists(pause_file);
  return fault;
}

InjectedFault BeforeQuery() {
  FaultState& state = State();
  const std::lock_guard lock(state.mutex);
  LoadFromEnvironment(state);
  return ++state.queries == state.faults.lost_at_query ? InjectedFault::kLost
                                                       : InjectedFault::kNone;
}

InjectedFault AfterCommit() {
  FaultState& state = State();
  const std::lock_guard lock(state.mutex);
  LoadFromEnvironment(state);
  return ++state.commits == state.faults.lost_at_commit ? InjectedFault::kLost
                                                        : InjectedFault::kNone;
}

void NoteConnectionLost() {
  FaultState& state = State();
  const std::lock_guard lock(state.mutex);
  state.lost = true;
}

bool ServerStaysDown() {
  FaultState& state = State();
  const std::lock_guard lock(state.mutex);
  LoadFromEnvironment(state);
  return state.faults.server_stays_down && state.lost;
}

}  // namespace zuna::sql::odbc
