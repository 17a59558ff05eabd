#include "platform/base/status.h"

namespace zuna {

Status Status::WithContext(std::string_view context) const {
  if (ok() || context.empty()) return *this;
  std::string text(context);
  text += ": ";
  text += description_;
  return Status(kind_, number_, std::move(text));
}

std::string Status::ToString() const {
  if (ok()) return "ok";
  return "error " + std::to_string(number_) + ": " + description_;
}

}  // namespace zuna
