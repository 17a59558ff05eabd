#pragma once

#include <signal.h>

#include "import/import_observer.h"

namespace zuna::cli {

// While it lives, SIGINT and SIGTERM no longer end the process: the first of them asks `request`
// to stop (the import then ends at the next row boundary, with what it saved committed and said),
// and puts the signal's default back, so that a second one ends the process at once. The
// handler only stores the signal's number in the request's lock-free atomic. The handlers that
// were there before come back when it goes.
class StopSignals {
 public:
  explicit StopSignals(transfer::StopRequest& request);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction previous_interrupt_ {};
  struct sigaction previous_terminate_ {};
};

// The exit status of a command that stopped on `signal`, as a shell reports a process the
// signal ended: 130 for SIGINT, 143 for SIGTERM.
inline int ExitStatusForSignal(int signal) { return 128 + signal; }

}  // namespace zuna::cli
