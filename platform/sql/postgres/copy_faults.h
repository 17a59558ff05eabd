#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/result.h"

namespace zuna::sql::postgres {

// Faults the tests make happen on the COPY path, counted in COPY commands sent (1 is the first):
// of the connection when a test sets them, of the whole process when the environment does.
struct CopyFaults {
  std::uint64_t drop_before_copy = 0;  // the server ends the session just before this COPY
  // The server ends the session once this COPY has begun, as a restart does: its rows are sent
  // again after the connection is made again.
  std::uint64_t drop_during_copy = 0;
  // This COPY is saved, but the connection goes before its answer is read: its outcome is
  // unknown to the connection.
  std::uint64_t lose_answer_of_copy = 0;
  bool server_gone = false;  // no reconnection succeeds
  // Before this COPY, the connection creates the file `pause_file` and waits until it is removed
  // again (at most 10 minutes): a test restarts or stops the real server in between. 0: never.
  std::uint64_t pause_before_copy = 0;
  std::string pause_file;
  // Each COPY takes this many rows, however long they take to come, so that a test knows which
  // rows a COPY holds. 0: the connection's own batches.
  std::size_t rows_per_copy = 0;
};

// The environment variable that sets the faults for a process, for tests of the programs: a
// comma-separated list of "lost-at-copy:N" (the session ends before the Nth COPY),
// "lost-answer-at-copy:N", "server-stays-down", "pause-at-copy:N:FILE" and "rows-per-copy:N".
// Unset or empty, nothing changes. Read once, at the first COPY connection.
inline constexpr const char* kCopyFaultsVariable = "ZUNA_COPY_FAULTS";

// Reads the variable's text; a text that cannot be read is an error, so that a test never runs
// without the fault it asked for.
Result<CopyFaults> ParseCopyFaults(std::string_view text);

// The faults the environment sets: null when it sets none; an error (every connection's Open
// fails with it) when its text cannot be read.
Result<const CopyFaults*> EnvironmentCopyFaults();

// The number of a COPY among the process's, for the environment's faults.
std::uint64_t NextProcessCopy();

}  // namespace zuna::sql::postgres
