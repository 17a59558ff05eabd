#include "scripts/script_runner.h"

#include <string>

#include "platform/files/file_system.h"
#include "platform/files/program_folder.h"
#include "platform/sql/data_sources.h"
#include "scripts/batch_splitter.h"

namespace zuna::scripts {

Status RunScriptFile(const sql::DataSources& sources, std::string_view connection_string,
                     std::string_view file_name, bool separate_batches) {
  ASSIGN_OR_RETURN(std::shared_ptr<sql::Connection> connection,
                   sources.OpenConnection(connection_string));
  ASSIGN_OR_RETURN(const std::string text,
                   files::ReadAllAnsi(files::ScriptPath(sources.program_folder(), file_name)));
  if (!separate_batches) return connection->Execute(text);
  for (const Batch& batch : SplitBatches(text)) {
    for (int i = 0; i < batch.repeat; ++i) {
      RETURN_IF_ERROR(connection->Execute(batch.text).WithContext(file_name));
    }
  }
  return Status::Ok();
}

}  // namespace zuna::scripts
