// zuna-transfer: the tool's commands for scripted runs.
//   zuna-transfer [--server NAME] [--home DIR] [--open] COMMAND [ARGS]
#include <cstdio>
#include <string>
#include <string_view>

#include "app/cli/cli.h"
#include "app/version.h"
#include "platform/files/program_folder.h"
#include "platform/sources/data_sources.h"

namespace zuna::cli {
namespace {

struct Command {
  std::string_view name;
  std::string_view synopsis;
  int (*run)(const CommandContext&);
  // The commands that work on the databases get the data sources, and take no arguments
  // unless they say so.
  bool uses_data_sources = true;
  bool takes_arguments = false;
};

int RunVersion(const CommandContext&) {
  std::printf("zuna-transfer %s\n", std::string(app::kVersion).c_str());
  return kExitDone;
}

// The commands, in the order an operator uses them.
constexpr Command kCommands[] = {
    {"create-database", "create the database (CreateDatabaseScript.sql)", RunCreateDatabase},
    {"create-tables", "create the tables (CreateTableScript.sql)", RunCreateTables},
    {"alter", "alter the tables (ALTER.sql)", RunAlter},
    {"delete-duplicates", "delete duplicate rows on the fixed server (DELETE.sql)",
     RunDeleteDuplicates},
    {"import", "copy every catalogued FoxPro table into the database", RunImport},
    {"report", "reconcile both stores: data_transfer_rpt and report.pdf", RunReport},
    {"list-fields", "write \"fields\": the target columns the FoxPro tables lack", RunListFields},
    {"verify",
     "[--summary FILE] [--memory SIZE]\n"
     "                     compare every value with the FoxPro tables: verify_rpt",
     RunVerify, true, true},
    {"pdf",
     "TEXTFILE PDFFILE [--font NAME] [--size N] [--rotate N] [--width INCHES]\n"
     "                     [--height INCHES] [--title T] [--author A] [--subject S]\n"
     "                     [--keywords K] [--creator C]   convert a text file to PDF",
     RunPdf, false},
    {"version", "print the version", RunVersion, false},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: zuna-transfer [--server NAME] [--home DIR] [--open] COMMAND [ARGS]\n"
               "       zuna-transfer --help | --version\n\n"
               "  --server NAME   the SQL Server name (default: empty)\n"
               "  --home DIR      the program folder (default: $ZUNA_HOME, else the program's)\n"
               "  --open          open the finished PDF in the desktop's viewer\n\ncommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %-18s %s\n", std::string(command.name).c_str(),
                 std::string(command.synopsis).c_str());
  }
}

// Fills `inv` from argv; false on a usage error (already reported).
bool ParseArguments(int argc, char** argv, Invocation& inv, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!inv.command.empty()) {
      inv.arguments.emplace_back(arg);
    } else if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--version") {
      inv.command = "version";
    } else if (arg == "--open") {
      inv.open_documents = true;
    } else if (arg == "--server" || arg == "--home") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zuna-transfer: %s needs a value\n", argv[i]);
        return false;
      }
      if (arg == "--server") {
        inv.server = argv[++i];
      } else {
        inv.home = argv[++i];
      }
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

int UsageError(std::string_view command, std::string_view message) {
  std::fprintf(stderr, "zuna-transfer %s: %s\n", std::string(command).c_str(),
               std::string(message).c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace zuna::cli

int main(int argc, char** argv) {
  using namespace zuna::cli;
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
    if (command.uses_data_sources && !command.takes_arguments && !invocation.arguments.empty()) {
      return UsageError(invocation.command, "takes no arguments");
    }
    zuna::ConsoleOperator op(stdout, stderr);
    op.set_open_documents(invocation.open_documents);
    CommandContext context{invocation, zuna::files::ResolveProgramFolder(invocation.home), op};
    if (!command.uses_data_sources) return command.run(context);
    const auto sources = zuna::sources::DataSources::Load(context.program_folder);
    if (!sources.ok()) {
      op.ShowError(sources.status());
      return kExitFailed;
    }
    context.sources = &*sources;
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
