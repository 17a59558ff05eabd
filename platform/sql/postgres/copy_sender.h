#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace zuna::sql::postgres {

// Runs the sending of one COPY batch at a time on a thread of its own, so that the caller
// converts the next batch meanwhile. At most one batch is in flight: Start waits until the
// previous one is done. Everything the job wrote is visible to the caller once Wait (or the next
// Start) returns. Without `background`, Start runs the job on the caller's thread at once.
class CopySender {
 public:
  explicit CopySender(bool background) : background_(background) {}
  CopySender(const CopySender&) = delete;
  CopySender& operator=(const CopySender&) = delete;
  // Waits for the job in flight and ends the thread.
  ~CopySender();

  void Start(std::function<void()> job);
  // Returns once no job is in flight.
  void Wait();
  bool background() const { return background_; }

 private:
  void Run();

  const bool background_;
  std::mutex mutex_;
  std::condition_variable work_;  // the thread waits for a job or for the end
  std::condition_variable done_;  // the caller waits for the job in flight
  std::function<void()> job_;
  bool busy_ = false;
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace zuna::sql::postgres
