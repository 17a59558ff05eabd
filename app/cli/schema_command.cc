// zuna-transfer create-database | create-tables | alter | delete-duplicates
#include "app/cli/cli.h"
#include "scripts/schema_commands.h"

namespace zuna::cli {
namespace {

int Run(const CommandContext& context, scripts::SchemaCommand command) {
  const Status status =
      scripts::RunSchemaCommand(command, *context.sources, context.invocation.server, context.op);
  return status.ok() ? kExitDone : kExitFailed;
}

}  // namespace

int RunCreateDatabase(const CommandContext& context) {
  return Run(context, scripts::SchemaCommand::kCreateDatabase);
}
int RunCreateTables(const CommandContext& context) {
  return Run(context, scripts::SchemaCommand::kCreateTable);
}
int RunAlter(const CommandContext& context) { return Run(context, scripts::SchemaCommand::kAlter); }
int RunDeleteDuplicates(const CommandContext& context) {
  return Run(context, scripts::SchemaCommand::kDeleteDuplicates);
}

}  // namespace zuna::cli
