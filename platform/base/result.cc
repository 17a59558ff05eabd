#include "platform/base/result.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zuna::internal {

void DieOnValueOfFailure(const Status& status) {
  const std::string message = "zuna: the value of a failed result was used without checking it (" +
                              status.ToString() + ")\n";
  std::fputs(message.c_str(), stderr);
  std::abort();
}

void DieOnResultWithoutValue() {
  std::fputs("zuna: a result was made from an ok status, so it holds no value\n", stderr);
  std::abort();
}

}  // namespace zuna::internal
