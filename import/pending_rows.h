#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/base/status.h"
#include "platform/recordset/recordset.h"

namespace zuna::transfer {

// The rows of a table whose saves have not ended yet, when the target saves in the background,
// with what the copy did around each of them (a field it could not assign, an anomaly-log line,
// a failed read), kept in the order of the rows. Each is run, and each row's outcome is given,
// only once the saves of the rows before it have ended: the logs then read line for line as when
// every row is saved before the next is read. While no row is pending, an effect runs at once.
//
// Memory stays flat: what has run is dropped, and only the rows the target has not finished
// (a few batches) and their rare effects are kept.
class PendingRows {
 public:
  using Effect = std::function<void()>;
  // Called with each row's outcome, in order: Ok for a saved row, else its refusal.
  using Outcome = std::function<void(std::uint64_t row, const Status& status)>;

  bool empty() const { return head_ == items_.size(); }

  // `row` was handed to the target; its outcome comes from the target's refusals.
  void Saving(std::uint64_t row);
  // `row` ended with `status` without waiting for the target (it saved the row at once, or the
  // row did not reach it): its outcome is given now when nothing is pending, else in its turn.
  void Ended(std::uint64_t row, Status status, const Outcome& outcome);
  // Something the copy did for a row: run now when nothing is pending, else in its turn.
  void Run(Effect effect);

  // Runs everything whose turn has come, now that the saves up to `settled_through` have ended
  // and `refusals` (the target's, in order) are known.
  void Settle(std::uint64_t settled_through, const std::vector<recordset::LateRefusal>& refusals,
              const Outcome& outcome);

 private:
  struct Item {
    enum class Kind { kSaving, kEnded, kEffect };
    Kind kind = Kind::kEffect;
    std::uint64_t row = 0;
    Status status;  // kEnded
    Effect effect;  // kEffect
  };
  void DropFinished();

  std::vector<Item> items_;
  std::size_t head_ = 0;  // items_[head_] is the first that has not run
};

}  // namespace zuna::transfer
