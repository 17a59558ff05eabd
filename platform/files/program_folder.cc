#include "platform/files/program_folder.h"

#include <cstdlib>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/files/install_layout.h"

namespace zuna::files {

namespace fs = std::filesystem;

namespace {

fs::path Normalized(const fs::path& folder) {
  fs::path normal = fs::absolute(folder).lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

// Whether `folder` is the programs' folder `programs` of some prefix: its last components are
// those of a relative `programs`, or it is an absolute `programs` itself.
bool IsProgramsFolder(const fs::path& folder, const fs::path& programs) {
  if (programs.empty()) return false;
  if (programs.is_absolute()) return folder == programs.lexically_normal();
  const fs::path tail = programs.lexically_normal();
  auto folder_part = std::make_reverse_iterator(folder.end());
  const auto folder_end = std::make_reverse_iterator(folder.begin());
  for (auto part = std::make_reverse_iterator(tail.end());
       part != std::make_reverse_iterator(tail.begin()); ++part) {
    if (part->empty()) continue;  // the empty name after a trailing separator
    if (folder_part == folder_end || *folder_part != *part) return false;
    ++folder_part;
  }
  return true;
}

}  // namespace

fs::path ExecutableFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path();
}

std::optional<fs::path> InstalledDataFolder(const fs::path& executable_folder) {
  if (executable_folder.empty()) return std::nullopt;
  const fs::path folder = Normalized(executable_folder);
  if (!IsProgramsFolder(folder, fs::path(std::string(kInstalledProgramsFolder)))) {
    return std::nullopt;
  }
  const fs::path data =
      (folder / fs::path(std::string(kInstalledDataFromPrograms))).lexically_normal();
  std::error_code ec;
  if (!fs::is_directory(data, ec)) return std::nullopt;
  return data;
}

fs::path ResolveProgramFolder(const std::optional<fs::path>& home) {
  return ResolveProgramFolder(home, ExecutableFolder());
}

fs::path ResolveProgramFolder(const std::optional<fs::path>& home,
                              const fs::path& executable_folder) {
  if (home && !home->empty()) return Normalized(*home);
  if (const char* env = std::getenv("ZUNA_HOME"); env != nullptr && *env != '\0') {
    return Normalized(env);
  }
  std::error_code ec;
  if (executable_folder.empty() || InstalledDataFolder(executable_folder)) {
    fs::path current = fs::current_path(ec);
    if (!ec) return current;
  }
  return executable_folder;
}

fs::path ScriptPath(const fs::path& program_folder, std::string_view name,
                    const std::optional<fs::path>& installed_data) {
  fs::path own = program_folder / std::string(name);
  std::error_code ec;
  // A copy that cannot be looked at (an unreadable folder) is not missing: its error shows.
  if (!installed_data || fs::exists(own, ec) || ec) return own;
  fs::path shared = *installed_data / std::string(name);
  if (fs::is_regular_file(shared, ec)) return shared;
  return own;
}

fs::path ScriptPath(const fs::path& program_folder, std::string_view name) {
  return ScriptPath(program_folder, name, InstalledDataFolder(ExecutableFolder()));
}

}  // namespace zuna::files
