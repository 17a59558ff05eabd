#pragma once

#include <filesystem>
#include <optional>

namespace zuna::files {

// The program folder: `home` when the operator named one (--home), else the environment's
// ZUNA_HOME, else the folder of the running executable. Scripts, zuna.ini and every written file
// live there.
std::filesystem::path ResolveProgramFolder(const std::optional<std::filesystem::path>& home);

}  // namespace zuna::files
