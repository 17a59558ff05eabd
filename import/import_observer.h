#pragma once

#include <atomic>
#include <csignal>
#include <cstdint>
#include <string>
#include <string_view>

namespace zuna::transfer {

struct TableReport;

// Watches an import while it runs; the command line draws its progress from it. Every call comes
// from the thread that runs the import, at a row boundary.
class ImportObserver {
 public:
  virtual ~ImportObserver() = default;

  // `rows` of `table` have been handled (saved, refused or counted lost, or handed to a target
  // that saves them on a thread of its own) out of the `header_rows` its header announces. Called
  // with 0 when the table's rows start, then every kRowsPerProgressCall rows; the table's last
  // count comes with TableDone.
  virtual void RowsDone(std::string_view /*table*/, std::uint64_t /*rows*/,
                        std::uint64_t /*header_rows*/) {}

  // A table is finished: copied, missing or replaced by its master-data script.
  virtual void TableDone(const TableReport& report) = 0;
};

// How often the copier calls RowsDone: often enough for a progress line to move several times a
// second, rarely enough to cost nothing next to saving the rows.
inline constexpr std::uint64_t kRowsPerProgressCall = 1024;

// A request to stop the import at the next row boundary. The signal handler of the command line
// sets it, so Request touches nothing but one lock-free atomic; the import reads it between rows
// and before each table. Whatever was saved stays saved: the current group is committed, and the
// import says where it stopped.
class StopRequest {
 public:
  static_assert(std::atomic<int>::is_always_lock_free);

  // `reason` is the number of the signal that asked (any value but 0 for other callers).
  void Request(int reason) noexcept { reason_.store(reason, std::memory_order_relaxed); }
  bool requested() const noexcept { return reason_.load(std::memory_order_relaxed) != 0; }
  int reason() const noexcept { return reason_.load(std::memory_order_relaxed); }

  // "SIGINT", "SIGTERM", or "signal N" for another number.
  std::string ReasonName() const {
    const int reason = this->reason();
    if (reason == SIGINT) return "SIGINT";
    if (reason == SIGTERM) return "SIGTERM";
    return "signal " + std::to_string(reason);
  }

 private:
  std::atomic<int> reason_{0};
};

}  // namespace zuna::transfer
