#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/operator/operator.h"

namespace zuna::sources {
class DataSources;
}

// The command line's shared pieces: what was typed, where the program folder is, and the exit
// statuses every command uses.
namespace zuna::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitSkippedFailures = 3;

struct Invocation {
  std::string server;  // what the operator would type into the server name box
  std::optional<std::filesystem::path> home;
  bool open_documents = false;
  std::string command;
  std::vector<std::string> arguments;
};

struct CommandContext {
  const Invocation& invocation;
  std::filesystem::path program_folder;
  ConsoleOperator& op;
  // The data sources of the program folder, loaded once by main for the commands that use them;
  // null for the others.
  const sources::DataSources* sources = nullptr;
};

// Prints a usage error for `command` on standard error; returns kExitUsage.
int UsageError(std::string_view command, std::string_view message);

// The commands, each in a file of its own.
int RunCreateDatabase(const CommandContext& context);
int RunCreateTables(const CommandContext& context);
int RunAlter(const CommandContext& context);
int RunDeleteDuplicates(const CommandContext& context);
int RunImport(const CommandContext& context);
int RunListFields(const CommandContext& context);
int RunReport(const CommandContext& context);
int RunPdf(const CommandContext& context);
int RunVerify(const CommandContext& context);

}  // namespace zuna::cli
