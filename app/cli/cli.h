#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
  bool quiet = false;   // no progress on standard error
  bool append = false;  // import: add to target tables that already hold rows
  std::optional<std::filesystem::path> summary;  // import, report, verify: the JSON summary's path
  std::string command;
  std::vector<std::string> arguments;  // the command's own words (pdf's two files)
  // The command's own options with their values, in the order given (pdf's --font NAME ...).
  std::vector<std::pair<std::string, std::string>> command_options;
};

struct CommandContext {
  const Invocation& invocation;
  std::filesystem::path program_folder;
  ConsoleOperator& op;
  // The data sources of the program folder, loaded once by main for the commands that use them;
  // null for the others.
  const sources::DataSources* sources = nullptr;
};

// Prints a usage error for `command` ("" before one is known) as one line on standard error,
// followed by "Try 'zuna-transfer --help'."; returns kExitUsage.
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
int RunVerify(const CommandContext& context);

}  // namespace zuna::cli
