#include "app/cli/stop_signals.h"

#include <atomic>

namespace zuna::cli {
namespace {

std::atomic<transfer::StopRequest*> stop_request{nullptr};
static_assert(std::atomic<transfer::StopRequest*>::is_always_lock_free);

extern "C" void RequestStop(int signal) {
  if (transfer::StopRequest* request = stop_request.load(std::memory_order_relaxed)) {
    request->Request(signal);
  }
  // Whichever signal comes next ends the process at once. signal() is async-signal-safe.
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
}

}  // namespace

StopSignals::StopSignals(transfer::StopRequest& request) {
  stop_request.store(&request);
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  // A read or write the signal lands in goes on instead of failing with EINTR.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previous_interrupt_);
  sigaction(SIGTERM, &action, &previous_terminate_);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &previous_interrupt_, nullptr);
  sigaction(SIGTERM, &previous_terminate_, nullptr);
  stop_request.store(nullptr);
}

}  // namespace zuna::cli
