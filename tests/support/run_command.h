#pragma once

#include <string>
#include <utility>

namespace zuna::testkit {

// Runs a shell command and returns its exit status and its output (standard error included).
std::pair<int, std::string> RunCommand(const std::string& command);

}  // namespace zuna::testkit
