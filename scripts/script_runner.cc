#include "scripts/script_runner.h"

#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/files/program_folder.h"
#include "platform/sources/data_sources.h"
#include "scripts/batch_splitter.h"

namespace zuna::scripts {

Status RunScriptFile(const sources::DataSources& sources, std::string_view connection_string,
                     std::string_view file_name, GoLines go_lines) {
  ASSIGN_OR_RETURN(std::shared_ptr<sql::Connection> connection,
                   sources.OpenConnection(connection_string));
  ASSIGN_OR_RETURN(const std::string text,
                   files::ReadAllAnsi(files::ScriptPath(sources.program_folder(), file_name)));
  if (go_lines == GoLines::kKeepInText) return connection->Execute(text);
  const auto batches = SplitBatches(text);
  if (!batches.ok()) return batches.status().WithContext(file_name);
  for (std::size_t b = 0; b < batches->size(); ++b) {
    for (int i = 0; i < (*batches)[b].repeat; ++i) {
      // Which batch failed tells the operator what the script left done: the ones before it.
      std::string where(file_name);
      if (batches->size() > 1) {
        where += ", batch " + std::to_string(b + 1) + " of " + std::to_string(batches->size());
      }
      RETURN_IF_ERROR(connection->Execute((*batches)[b].text).WithContext(where));
    }
  }
  return Status::Ok();
}

}  // namespace zuna::scripts
