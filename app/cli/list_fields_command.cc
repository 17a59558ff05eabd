// zuna-transfer list-fields: writes "fields", the target columns the FoxPro tables lack.
#include <cstdio>

#include "app/cli/cli.h"
#include "core/file_names.h"
#include "platform/files/log_slot.h"
#include "scripts/field_listing.h"

namespace zuna::cli {

int RunListFields(const CommandContext& context) {
  files::LogSlot slot;
  const Status listed = scripts::WriteFieldListing(*context.sources, slot);
  // The window would keep the listing open; the command ends here, so it closes the file and
  // only then knows that every line reached it.
  const Status closed = slot.Release();
  if (!listed.ok() || !closed.ok()) {
    context.op.ShowError(listed.ok() ? closed : listed);
    return kExitFailed;
  }
  context.op.ShowProgress((context.program_folder / std::string(core::kFieldListingName)).string());
  return kExitDone;
}

}  // namespace zuna::cli
