#pragma once

#include <optional>
#include <string>

#include "app/cli/cli.h"

namespace zuna::cli {

enum class Request { kRun, kHelp, kVersion };

// Reads the command line the way Linux programs read theirs: options before or after the command
// (`create-database --home .`), `--name value` or `--name=value`, and `--` to end the options
// (every word after it is an argument, even one that starts with '-'). The first word that is not
// an option names the command; the words after it are its arguments. An option that belongs to
// other commands (--append to report) is a usage error.
//
// Returns what to do, or the one-line message of a usage error.
struct ParsedArguments {
  Request request = Request::kRun;
  std::optional<std::string> error;
};
ParsedArguments ParseArguments(int argc, const char* const* argv, Invocation& invocation);

}  // namespace zuna::cli
