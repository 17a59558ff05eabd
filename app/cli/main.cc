// zuna-transfer: the tool's commands for scripted runs.
//   zuna-transfer [OPTIONS] COMMAND [ARGS]     (options before or after the command)
#include <cstdio>
#include <string>
#include <string_view>

#include "app/cli/arguments.h"
#include "app/cli/cli.h"
#include "app/cli/settings_report.h"
#include "app/version.h"
#include "platform/files/program_folder.h"
#include "platform/sources/data_sources.h"

namespace zuna::cli {
namespace {

struct Command {
  std::string_view name;
  std::string_view synopsis;
  int (*run)(const CommandContext&);
  // The commands that work on the databases take no arguments and get the data sources.
  bool uses_data_sources = true;
  // The commands that read the FoxPro tables and the target say first which ones they use.
  bool names_source_and_target = false;
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
    {"import",
     "[--append] [--summary FILE]\n"
     "                     copy every catalogued FoxPro table into the database",
     RunImport, true, true},
    {"report",
     "[--summary FILE]\n"
     "                     reconcile both stores: data_transfer_rpt and report.pdf",
     RunReport, true, true},
    {"list-fields", "write \"fields\": the target columns the FoxPro tables lack", RunListFields,
     true, true},
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

void PrintUsage() {
  std::printf(
      "usage: zuna-transfer [OPTIONS] COMMAND [ARGS]\n"
      "       zuna-transfer --help | --version\n\n"
      "options, before or after the command (-- ends them):\n"
      "  --server NAME   the SQL Server name (default: empty)\n"
      "  --home DIR      the program folder (default: $ZUNA_HOME, else the current folder for\n"
      "                  an installed program, else the program's own folder)\n"
      "  --open          open the finished PDF in the desktop's viewer\n"
      "  -q, --quiet     no progress on standard error\n"
      "  --append        import: add to target tables that already hold rows\n"
      "  --summary FILE  import, report, verify: write a JSON summary to FILE\n"
      "  --memory SIZE   verify: the memory a table's row hashes may take before they go to\n"
      "                  disk (default 16M)\n\n"
      "commands:\n");
  for (const Command& command : kCommands) {
    std::printf("  %-18s %s\n", std::string(command.name).c_str(),
                std::string(command.synopsis).c_str());
  }
  std::printf(
      "\nexit status: 0 done; 1 stopped on an error; 2 usage; 3 done, but rows were lost "
      "(import),\n"
      "a table does not reconcile (report) or a row is not accounted for (verify); 130 or 143\n"
      "the import was interrupted\n");
}

// The command line's operator: --quiet leaves out the progress lines.
class CommandLineOperator : public ConsoleOperator {
 public:
  explicit CommandLineOperator(bool quiet) : ConsoleOperator(stdout, stderr), quiet_(quiet) {}
  void ShowProgress(std::string_view text) override {
    if (!quiet_) ConsoleOperator::ShowProgress(text);
  }

 private:
  bool quiet_;
};

int Run(const Command& command, const Invocation& invocation) {
  if (command.uses_data_sources && !invocation.arguments.empty()) {
    return UsageError(invocation.command,
                      "takes no arguments, but was given \"" + invocation.arguments.front() + "\"");
  }
  CommandLineOperator op(invocation.quiet);
  op.set_open_documents(invocation.open_documents);
  CommandContext context{invocation, files::ResolveProgramFolder(invocation.home), op};
  if (!command.uses_data_sources) return command.run(context);
  const auto sources = sources::DataSources::Load(context.program_folder);
  if (!sources.ok()) {
    op.ShowError(sources.status());
    return kExitFailed;
  }
  if (command.names_source_and_target && !invocation.quiet) {
    std::fprintf(stderr, "zuna-transfer %s: %s\n", invocation.command.c_str(),
                 DescribeSourceAndTarget(*sources).c_str());
  }
  if (!ReportSettingsFindings(*sources, op)) return kExitFailed;
  context.sources = &*sources;
  return command.run(context);
}

}  // namespace

int UsageError(std::string_view command, std::string_view message) {
  std::fprintf(stderr, "zuna-transfer%s%s: %s\nTry 'zuna-transfer --help'.\n",
               command.empty() ? "" : " ", std::string(command).c_str(),
               std::string(message).c_str());
  return kExitUsage;
}

}  // namespace zuna::cli

int main(int argc, char** argv) {
  using namespace zuna::cli;
  Invocation invocation;
  const ParsedArguments parsed = ParseArguments(argc, argv, invocation);
  if (parsed.error) return UsageError("", *parsed.error);
  if (parsed.request == Request::kHelp) {
    PrintUsage();
    return kExitDone;
  }
  if (parsed.request == Request::kVersion) invocation.command = "version";
  for (const Command& command : kCommands) {
    if (command.name == invocation.command) return Run(command, invocation);
  }
  return UsageError("", "unknown command " + invocation.command);
}
