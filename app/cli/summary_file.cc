#include "app/cli/summary_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "app/cli/json_writer.h"
#include "app/version.h"
#include "platform/files/file_system.h"

namespace zuna::cli {

namespace fs = std::filesystem;

void BeginSummary(JsonWriter& json, const SummaryHeader& header) {
  json.BeginObject()
      .Member("program", "zuna-transfer")
      .Member("version", app::kVersion)
      .Member("command", header.command)
      .Member("started", IsoUtcTime(header.started))
      .Member("finished", IsoUtcTime(header.finished))
      .Member("exit_status", header.exit_status)
      .Member("program_folder", header.program_folder.string());
}

std::string IsoUtcTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(text, length);
}

Status CheckSummaryFolder(const fs::path& path) {
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (error) return files::ErrnoStatus(error.value(), folder);
  if (!fs::is_directory(status)) return files::ErrnoStatus(ENOTDIR, folder);
  if (fs::is_directory(fs::status(path, error))) return files::ErrnoStatus(EISDIR, path);
  return Status::Ok();
}

Status WriteSummaryFile(const fs::path& path, std::string_view text, files::FileEnv& env) {
  // Beside the file, so the rename stays within one file system and replaces it in one step.
  fs::path partial = path;
  partial += ".partial-" + std::to_string(::getpid());
  auto file = env.OpenForWriting(partial, files::WriteMode::kReplace);
  if (!file.ok()) return file.status();
  Status written = (*file)->Append(text);
  const Status closed = (*file)->Close();
  if (written.ok()) written = closed;
  if (written.ok() && std::rename(partial.c_str(), path.c_str()) != 0) {
    written = files::ErrnoStatus(errno, path);
  }
  if (!written.ok()) std::remove(partial.c_str());
  return written;
}

}  // namespace zuna::cli
