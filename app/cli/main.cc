// zuna-transfer: the tool's commands for scripted runs.
//   zuna-transfer [--server NAME] [--home DIR] COMMAND [ARGS]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/constants.h"
#include "platform/files/program_folder.h"
#include "platform/operator/operator.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitUsage = 2;

struct Invocation {
  std::string server;
  std::optional<std::filesystem::path> home;
  std::string command;
  std::vector<std::string> arguments;
};

struct CommandContext {
  const Invocation& invocation;
  std::filesystem::path program_folder;
  zuna::Operator& op;
};

struct Command {
  std::string_view name;
  std::string_view synopsis;
  int (*run)(const CommandContext&);
};

// The commands, in the order an operator uses them.
constexpr Command kCommands[] = {
    {"version", "print the version",
     [](const CommandContext&) {
       std::printf("zuna-transfer %s\n", std::string(zuna::constants::kVersion).c_str());
       return kExitDone;
     }},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: zuna-transfer [--server NAME] [--home DIR] COMMAND [ARGS]\n"
               "       zuna-transfer --help | --version\n\ncommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %-18s %s\n", std::string(command.name).c_str(),
                 std::string(command.synopsis).c_str());
  }
}

// Fills `inv` from argv; false on a usage error (already reported).
bool ParseArguments(int argc, char** argv, Invocation& inv, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&](std::string_view option) -> std::optional<std::string> {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zuna-transfer: %s needs a value\n", std::string(option).c_str());
        return std::nullopt;
      }
      return std::string(argv[++i]);
    };
    if (!inv.command.empty()) {
      inv.arguments.emplace_back(arg);
    } else if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--version") {
      inv.command = "version";
    } else if (arg == "--server") {
      auto v = value(arg);
      if (!v) return false;
      inv.server = *v;
    } else if (arg == "--home") {
      auto v = value(arg);
      if (!v) return false;
      inv.home = *v;
    } else if (arg.starts_with("-")) {
      std::fprintf(stderr, "zuna-transfer: unknown option %s\n", argv[i]);
      return false;
    } else {
      inv.command = std::string(arg);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Invocation invocation;
  bool help = false;
  if (!ParseArguments(argc, argv, invocation, help)) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (help) {
    PrintUsage(stdout);
    return kExitDone;
  }
  for (const Command& command : kCommands) {
    if (command.name != invocation.command) continue;
    zuna::ConsoleOperator op(stdout, stderr);
    CommandContext context{invocation, zuna::files::ResolveProgramFolder(invocation.home), op};
    return command.run(context);
  }
  if (invocation.command.empty()) {
    std::fprintf(stderr, "zuna-transfer: no command given\n");
  } else {
    std::fprintf(stderr, "zuna-transfer: unknown command %s\n", invocation.command.c_str());
  }
  PrintUsage(stderr);
  return kExitUsage;
}
