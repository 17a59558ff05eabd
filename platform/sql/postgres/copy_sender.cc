#include "platform/sql/postgres/copy_sender.h"

#include <utility>

namespace zuna::sql::postgres {

CopySender::~CopySender() {
  {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
    ending_ = true;
  }
  work_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void CopySender::Start(std::function<void()> job) {
  if (!background_) {
    job();
    return;
  }
  {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
    job_ = std::move(job);
    busy_ = true;
  }
  // Started with the first batch: a connection that sends nothing has no thread.
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  work_.notify_one();
}

void CopySender::Wait() {
  if (!background_) return;
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return !busy_; });
}

void CopySender::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    work_.wait(lock, [this] { return busy_ || ending_; });
    if (!busy_) return;  // ending, with nothing in flight
    std::function<void()> job = std::move(job_);
    lock.unlock();
    job();
    lock.lock();
    busy_ = false;
    done_.notify_all();
  }
}

}  // namespace zuna::sql::postgres
