// zuna-transfer list-fields: writes "fields", the target columns the FoxPro tables lack.
#include <cstdio>

#include "app/cli/cli.h"
#include "core/file_names.h"
#include "import/import_state.h"
#include "platform/sql/data_sources.h"
#include "scripts/field_listing.h"

namespace zuna::cli {

int RunListFields(const CommandContext& context) {
  if (!context.invocation.arguments.empty()) return UsageError("list-fields", "takes no arguments");
  auto sources = sql::DataSources::Load(context.program_folder);
  if (!sources.ok()) {
    context.op.ShowError(sources.status());
    return kExitFailed;
  }
  transfer::ImportState state;
  const Status listed = scripts::WriteFieldListing(*sources, state);
  // The window would keep the listing open; the command ends here, so it closes the file and
  // only then knows that every line reached it.
  const Status closed = state.log.Release();
  if (!listed.ok() || !closed.ok()) {
    context.op.ShowError(listed.ok() ? closed : listed);
    return kExitFailed;
  }
  context.op.ShowProgress((context.program_folder / std::string(core::kFieldListingName)).string());
  return kExitDone;
}

}  // namespace zuna::cli
