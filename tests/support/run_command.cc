#include "tests/support/run_command.h"

#include <sys/wait.h>

#include <cstdio>

namespace zuna::testkit {

std::pair<int, std::string> RunCommand(const std::string& command) {
  std::string out;
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, out};
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace zuna::testkit
