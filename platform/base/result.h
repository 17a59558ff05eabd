#pragma once

#include <optional>
#include <utility>

#include "platform/base/status.h"

namespace zuna {

namespace internal {
// Ends the program with a message naming `status`: the value of a Result that holds a failure
// was asked for. That is a bug of the caller, who must check ok() first, so it stops every
// build, release included, instead of reading a value that is not there.
[[noreturn]] void DieOnValueOfFailure(const Status& status);
// Ends the program: a Result was made from an Ok status, so it holds neither value nor failure.
[[noreturn]] void DieOnResultWithoutValue();
}  // namespace internal

// A value or the failure that prevented it. value(), operator* and operator-> may be used only
// after ok() said true; on a failure they end the program (internal::DieOnValueOfFailure).
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}         // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {  // NOLINT: implicit by design
    if (status_.ok()) internal::DieOnResultWithoutValue();
  }

  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }

  T& value() & { return Checked(); }
  const T& value() const& { return Checked(); }
  T&& value() && { return std::move(Checked()); }

  T& operator*() & { return Checked(); }
  const T& operator*() const& { return Checked(); }
  T* operator->() { return &Checked(); }
  const T* operator->() const { return &Checked(); }

 private:
  T& Checked() {
    if (!value_) internal::DieOnValueOfFailure(status_);
    return *value_;
  }
  const T& Checked() const {
    if (!value_) internal::DieOnValueOfFailure(status_);
    return *value_;
  }

  Status status_;
  std::optional<T> value_;
};

template <typename T>
const Status& StatusOf(const Result<T>& result) {
  return result.status();
}

}  // namespace zuna
