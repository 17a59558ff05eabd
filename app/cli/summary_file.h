#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/base/status.h"
#include "platform/files/file_env.h"

namespace zuna::cli {

class JsonWriter;

// The --summary FILE of a command: a JSON document that scripts read instead of the text on
// standard error. Every summary is one object that begins with the same members (README, "The
// summary files"):
//
//   "program": "zuna-transfer", "version": "0.1.0", "command": "import",
//   "started": "2026-01-31T09:00:00Z", "finished": "2026-01-31T09:00:12Z",
//   "exit_status": 0, "program_folder": "/srv/migration",
//
// followed by the command's own members. Times are UTC in ISO 8601, to the second.
struct SummaryHeader {
  std::string_view command;
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point finished;
  int exit_status = 0;
  std::filesystem::path program_folder;
};

// Opens the document's object and writes the common members.
void BeginSummary(JsonWriter& json, const SummaryHeader& header);

// "2026-01-31T09:00:00Z".
std::string IsoUtcTime(std::chrono::system_clock::time_point time);

// Fails when the summary could not be written where `path` says, because its folder is missing
// or is not a folder: checked before the work starts, so a long import does not end without its
// summary for a mistyped path.
Status CheckSummaryFolder(const std::filesystem::path& path);

// Writes `text` to `path` whole or not at all: into a temporary file beside it, which is renamed
// over `path` only when every byte was written and the file closed without error. On a failure
// the temporary file is removed, `path` keeps what it held, and the failure is returned with the
// errno and the path.
Status WriteSummaryFile(const std::filesystem::path& path, std::string_view text,
                        files::FileEnv& env = files::FileEnv::Default());

}  // namespace zuna::cli
