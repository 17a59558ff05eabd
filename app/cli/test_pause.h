#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "import/import_observer.h"
#include "platform/base/result.h"

namespace zuna::cli {

// Where the import waits for a test: once it has done at least `rows` rows of `table`.
struct PauseAt {
  std::string table;
  std::uint64_t rows = 0;
};

// The seam of the interruption tests: ZUNA_TEST_PAUSE_AT=TABLE:ROWS makes the import, once it
// has done at least ROWS rows of TABLE, print "paused at TABLE row N" on standard error and wait
// (at most a minute) until a stop is requested. The test sends its signal then, so it lands
// inside the table whatever the machine's speed. Unset, as in production, it is nothing; a value
// it cannot read is an error rather than a run without the pause.
Result<std::optional<PauseAt>> PauseFromEnvironment();

// Passes every call on to `next`, waiting where `at` says.
class PausingObserver : public transfer::ImportObserver {
 public:
  PausingObserver(transfer::ImportObserver& next, PauseAt at, const transfer::StopRequest& stop)
      : next_(next), at_(std::move(at)), stop_(stop) {}

  void RowsDone(std::string_view table, std::uint64_t rows, std::uint64_t header_rows) override;
  void TableDone(const transfer::TableReport& report) override { next_.TableDone(report); }

 private:
  transfer::ImportObserver& next_;
  PauseAt at_;
  const transfer::StopRequest& stop_;
  bool paused_ = false;
};

}  // namespace zuna::cli
