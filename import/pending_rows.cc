#include "import/pending_rows.h"

#include <utility>

namespace zuna::transfer {
namespace {

// What has run is dropped once it is this much and half of what is kept: the rest moves to the
// front, so that each item moves a bounded number of times.
constexpr std::size_t kDropAtLeast = 1024;

}  // namespace

void PendingRows::Saving(std::uint64_t row) {
  Item& item = items_.emplace_back();
  item.kind = Item::Kind::kSaving;
  item.row = row;
}

void PendingRows::Ended(std::uint64_t row, Status status, const Outcome& outcome) {
  if (empty()) return outcome(row, status);
  Item& item = items_.emplace_back();
  item.kind = Item::Kind::kEnded;
  item.row = row;
  item.status = std::move(status);
}

void PendingRows::Run(Effect effect) {
  if (empty()) return effect();
  Item& item = items_.emplace_back();
  item.effect = std::move(effect);
}

void PendingRows::Settle(std::uint64_t settled_through,
                         const std::vector<recordset::LateRefusal>& refusals,
                         const Outcome& outcome) {
  std::size_t next_refusal = 0;
  while (head_ < items_.size()) {
    Item& item = items_[head_];
    switch (item.kind) {
      case Item::Kind::kSaving: {
        if (item.row > settled_through) return DropFinished();
        // The refusals name the rows in order; a row they do not name was saved.
        while (next_refusal < refusals.size() && refusals[next_refusal].tag < item.row) {
          ++next_refusal;
        }
        const bool refused =
            next_refusal < refusals.size() && refusals[next_refusal].tag == item.row;
        outcome(item.row, refused ? refusals[next_refusal++].status : Status::Ok());
        break;
      }
      case Item::Kind::kEnded:
        outcome(item.row, item.status);
        break;
      case Item::Kind::kEffect:
        item.effect();
        break;
    }
    ++head_;
  }
  DropFinished();
}

void PendingRows::DropFinished() {
  if (head_ == items_.size()) {
    items_.clear();
    head_ = 0;
  } else if (head_ >= kDropAtLeast && head_ * 2 >= items_.size()) {
    items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
}

}  // namespace zuna::transfer
