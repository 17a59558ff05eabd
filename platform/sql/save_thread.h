#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/base/status.h"
#include "platform/recordset/recordset.h"
#include "platform/sql/row_batch.h"

namespace zuna::sql {

// Saves converted rows on a thread of its own while the caller's thread reads and converts the
// next ones. The caller fills a batch; full batches go through a small bounded queue to the
// saving thread, which saves their rows in order. Memory stays flat: a few batches of a few
// hundred rows and at most a mebibyte of text each, reused.
//
// No more rows are ever read ahead than a group of saves holds: the rows handed over and not yet
// committed (those being filled, queued, and saved in the open group) are at most
// `max_open_rows`, so a crash loses no more rows than it would if each row were saved before the
// next was read.
//
// Each row's outcome is what saving it at once would have returned. The refusals come back from
// TakeRefusals in the order of the rows, with their tags. A refusal of kind kStorage (the
// database can store nothing more) ends the saving: the rows after it are neither saved nor
// listed, until Drain.
class SaveThread {
 public:
  // Saves one row at a time, on the saving thread (or on the caller's, when it saves at once).
  class Saver {
   public:
    virtual ~Saver() = default;
    // Saves row `index` of `batch`; returns the row's own outcome.
    virtual Status SaveRow(const RowBatch& batch, std::size_t index) = 0;
    // Rows saved in the open group, not yet committed or lost.
    virtual std::size_t OpenRows() const = 0;
  };

  SaveThread(Saver& saver, std::size_t max_open_rows);
  SaveThread(const SaveThread&) = delete;
  SaveThread& operator=(const SaveThread&) = delete;
  // Drains.
  ~SaveThread();

  // The batch the caller fills: a row is begun, converted or refused, then RowDone().
  RowBatch& filling() { return *filling_; }
  // Hands the batch over when it is full, or when the rows not yet committed reach the limit;
  // waits while the queue is full, and at the limit until a group has been committed.
  void RowDone();

  // Appends the refusals of the rows saved since the last call to `refusals`, in order, and
  // returns the tag of the last row whose save has ended (all before it have ended too; 0 when
  // none). With `wait`, drains first, so that every row handed in has ended.
  std::uint64_t TakeRefusals(std::vector<recordset::LateRefusal>& refusals, bool wait);

  // Hands over the rows filled so far, waits until all are saved and ends the thread; the next
  // batch handed over starts it again. Afterwards the saver may be used on the caller's thread.
  void Drain();

  // After Drain: every refusal has been taken and the storage never failed.
  bool Settled();

 private:
  void HandOver();
  void Run();
  void SaveBatch(const RowBatch& batch, std::vector<recordset::LateRefusal>& refusals);

  Saver& saver_;
  const std::size_t max_open_rows_;
  RowBatch* filling_ = nullptr;
  // Rows handed over and not yet committed, as last seen: the saving thread only lowers it.
  std::size_t open_estimate_ = 0;

  std::mutex mutex_;
  std::condition_variable work_;      // the saving thread waits for a batch or for the end
  std::condition_variable progress_;  // the caller waits for room, a commit or the drain
  std::vector<std::unique_ptr<RowBatch>> batches_;
  std::vector<RowBatch*> free_;
  std::deque<RowBatch*> queue_;
  std::size_t queued_rows_ = 0;  // rows queued or being saved
  std::size_t open_rows_ = 0;    // the saver's open group, after the last batch it saved
  bool ending_ = false;
  bool stopped_ = false;  // the storage failed: the remaining rows are not tried
  // The saving thread waits for rows with its group committed: the next batch may go early.
  std::atomic<bool> idle_after_commit_{false};
  std::vector<recordset::LateRefusal> refusals_;
  std::uint64_t settled_through_ = 0;
  std::thread thread_;
};

}  // namespace zuna::sql
