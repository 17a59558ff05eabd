#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace zuna::files {

// The folder of the running executable, as /proc/self/exe names it; empty when that cannot be
// read.
std::filesystem::path ExecutableFolder();

// The folder of the installed scripts when `executable_folder` is the programs' folder of an
// installation: it is <prefix>/bin (the build's install directory for programs) and
// <prefix>/share/zuna-transfer exists beside it. nullopt for a build or copy folder.
std::optional<std::filesystem::path> InstalledDataFolder(
    const std::filesystem::path& executable_folder);

// The program folder: `home` when the operator named one (--home), else the environment's
// ZUNA_HOME, else the folder of the running executable; an installed program cannot write beside
// its executable, so its folder is the current directory instead. Scripts, zuna.ini and every
// written file live there.
std::filesystem::path ResolveProgramFolder(const std::optional<std::filesystem::path>& home);

// The same, for an executable in `executable_folder`.
std::filesystem::path ResolveProgramFolder(const std::optional<std::filesystem::path>& home,
                                           const std::filesystem::path& executable_folder);

// Where the script `name` is read from: the program folder's copy when there is one, else the
// installation's scripts folder `installed_data` when it holds the script; else the program
// folder's path, so that an error names the place where the operator would put it.
std::filesystem::path ScriptPath(const std::filesystem::path& program_folder, std::string_view name,
                                 const std::optional<std::filesystem::path>& installed_data);

// The same, with the scripts of the running executable's installation.
std::filesystem::path ScriptPath(const std::filesystem::path& program_folder,
                                 std::string_view name);

}  // namespace zuna::files
