#include "platform/sql/save_thread.h"

#include <utility>

namespace zuna::sql {
namespace {

// A batch goes at this many rows or bytes of text: large enough that handing it over costs
// nothing per row, small enough that the saving thread is rarely left waiting for one.
constexpr std::size_t kBatchRows = 256;
constexpr std::size_t kBatchTextBytes = std::size_t{1} << 20;
// Batches waiting for the saving thread; one more is being saved and one filled.
constexpr std::size_t kQueuedBatches = 4;
// After a commit, the saving thread has nothing left and the caller was held at the limit: the
// first rows go as soon as there are this many, so that the thread does not wait for a full
// batch. Within a group, batches stay full.
constexpr std::size_t kFirstBatchRows = 16;

}  // namespace

SaveThread::SaveThread(Saver& saver, std::size_t max_open_rows)
    : saver_(saver), max_open_rows_(max_open_rows < 1 ? 1 : max_open_rows) {
  for (std::size_t i = 0; i < kQueuedBatches + 2; ++i) {
    batches_.push_back(std::make_unique<RowBatch>());
    free_.push_back(batches_.back().get());
  }
  filling_ = free_.back();
  free_.pop_back();
}

SaveThread::~SaveThread() { Drain(); }

void SaveThread::RowDone() {
  const std::size_t rows = filling_->size();
  if (rows < kBatchRows && filling_->text_bytes() < kBatchTextBytes &&
      rows + open_estimate_ < max_open_rows_ &&
      (rows < kFirstBatchRows || !idle_after_commit_.load(std::memory_order_relaxed))) {
    return;
  }
  HandOver();
}

void SaveThread::HandOver() {
  std::unique_lock lock(mutex_);
  if (!filling_->empty()) {
    progress_.wait(lock, [this] { return queue_.size() < kQueuedBatches; });
    queued_rows_ += filling_->size();
    queue_.push_back(filling_);
    filling_ = free_.back();
    free_.pop_back();
    if (!thread_.joinable()) {
      // The saver is the caller's until the thread starts: the open group is as it left it.
      open_rows_ = saver_.OpenRows();
      ending_ = false;
      stopped_ = false;
      thread_ = std::thread(&SaveThread::Run, this);
    }
    work_.notify_one();
  }
  // At the limit, the next row waits for the open group to be committed (or lost).
  progress_.wait(lock, [this] { return queued_rows_ + open_rows_ < max_open_rows_; });
  open_estimate_ = queued_rows_ + open_rows_;
}

void SaveThread::Run() {
  std::vector<recordset::LateRefusal> refusals;
  std::unique_lock lock(mutex_);
  for (;;) {
    idle_after_commit_.store(queue_.empty() && open_rows_ == 0, std::memory_order_relaxed);
    work_.wait(lock, [this] { return !queue_.empty() || ending_; });
    idle_after_commit_.store(false, std::memory_order_relaxed);
    if (queue_.empty()) return;
    RowBatch* batch = queue_.front();
    queue_.pop_front();
    lock.unlock();

    SaveBatch(*batch, refusals);
    const std::size_t open = saver_.OpenRows();

    lock.lock();
    for (recordset::LateRefusal& refusal : refusals) refusals_.push_back(std::move(refusal));
    refusals.clear();
    settled_through_ = batch->row(batch->size() - 1).tag;
    queued_rows_ -= batch->size();
    open_rows_ = open;
    batch->Clear();
    free_.push_back(batch);
    progress_.notify_all();
  }
}

void SaveThread::SaveBatch(const RowBatch& batch, std::vector<recordset::LateRefusal>& refusals) {
  for (std::size_t i = 0; i < batch.size() && !stopped_; ++i) {
    const RowBatch::Row& row = batch.row(i);
    if (row.refusal >= 0) {
      refusals.push_back({row.tag, batch.refusal(row)});
      continue;
    }
    Status saved = saver_.SaveRow(batch, i);
    if (saved.ok()) continue;
    stopped_ = saved.kind() == ErrorKind::kStorage;
    refusals.push_back({row.tag, std::move(saved)});
  }
}

std::uint64_t SaveThread::TakeRefusals(std::vector<recordset::LateRefusal>& refusals, bool wait) {
  if (wait) Drain();
  std::lock_guard lock(mutex_);
  for (recordset::LateRefusal& refusal : refusals_) refusals.push_back(std::move(refusal));
  refusals_.clear();
  return settled_through_;
}

bool SaveThread::Settled() {
  std::lock_guard lock(mutex_);
  return queue_.empty() && refusals_.empty() && !stopped_;
}

void SaveThread::Drain() {
  if (!filling_->empty()) HandOver();
  {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) return;
    ending_ = true;
  }
  work_.notify_one();
  thread_.join();
  std::lock_guard lock(mutex_);
  ending_ = false;
  stopped_ = false;
  open_estimate_ = open_rows_;
}

}  // namespace zuna::sql
