#include "platform/files/program_folder.h"

#include <cstdlib>
#include <system_error>

namespace zuna::files {

namespace fs = std::filesystem;

namespace {

fs::path Normalized(const fs::path& folder) {
  fs::path normal = fs::absolute(folder).lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

}  // namespace

fs::path ResolveProgramFolder(const std::optional<fs::path>& home) {
  if (home && !home->empty()) return Normalized(*home);
  if (const char* env = std::getenv("ZUNA_HOME"); env != nullptr && *env != '\0') {
    return Normalized(env);
  }
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path();
  return exe.parent_path();
}

}  // namespace zuna::files
