#include "platform/files/program_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/dbf_builder.h"

namespace zuna::files {
namespace {

namespace fs = std::filesystem;

// A scratch tree holding an installation under "usr" and a build folder under "build", with the
// environment's ZUNA_HOME and the current directory restored after each case.
class ProgramFolderLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* home = std::getenv("ZUNA_HOME")) saved_home_ = home;
    ::unsetenv("ZUNA_HOME");
    saved_current_ = fs::current_path();
    fs::create_directories(installed_bin());
    fs::create_directories(installed_data());
    fs::create_directories(build_bin());
    fs::create_directories(work());
  }

  void TearDown() override {
    fs::current_path(saved_current_);
    if (saved_home_) {
      ::setenv("ZUNA_HOME", saved_home_->c_str(), 1);
    } else {
      ::unsetenv("ZUNA_HOME");
    }
  }

  fs::path installed_bin() const { return root_ / "usr" / "bin"; }
  fs::path installed_data() const { return root_ / "usr" / "share" / "zuna-transfer"; }
  fs::path build_bin() const { return root_ / "build" / "release" / "bin"; }
  fs::path work() const { return root_ / "work"; }

  testkit::TempFolder root_;
  std::optional<std::string> saved_home_;
  fs::path saved_current_;
};

TEST_F(ProgramFolderLayoutTest, ProgramsFolderBesideTheScriptsFolderIsAnInstallation) {
  EXPECT_EQ(InstalledDataFolder(installed_bin()), installed_data());
  // However the folder is written.
  EXPECT_EQ(InstalledDataFolder(root_ / "usr" / "bin" / ""), installed_data());
  EXPECT_EQ(InstalledDataFolder(root_ / "usr" / "." / "bin"), installed_data());
}

TEST_F(ProgramFolderLayoutTest, BuildOrCopyFolderIsNoInstallation) {
  EXPECT_EQ(InstalledDataFolder(build_bin()), std::nullopt);
  // A folder not named like the programs' folder, even with the scripts folder beside it.
  fs::create_directories(root_ / "opt" / "tool");
  fs::create_directories(root_ / "opt" / "share" / "zuna-transfer");
  EXPECT_EQ(InstalledDataFolder(root_ / "opt" / "tool"), std::nullopt);
  // A programs' folder whose scripts folder is missing, or is a file.
  fs::create_directories(root_ / "local" / "bin");
  EXPECT_EQ(InstalledDataFolder(root_ / "local" / "bin"), std::nullopt);
  fs::create_directories(root_ / "local" / "share");
  testkit::WriteFile(root_ / "local" / "share" / "zuna-transfer", "not a folder");
  EXPECT_EQ(InstalledDataFolder(root_ / "local" / "bin"), std::nullopt);
  EXPECT_EQ(InstalledDataFolder(fs::path()), std::nullopt);
}

TEST_F(ProgramFolderLayoutTest, InstalledProgramWorksInTheCurrentDirectory) {
  fs::current_path(work());
  EXPECT_EQ(ResolveProgramFolder(std::nullopt, installed_bin()), work());
}

TEST_F(ProgramFolderLayoutTest, ProgramInItsBuildFolderWorksThere) {
  fs::current_path(work());
  EXPECT_EQ(ResolveProgramFolder(std::nullopt, build_bin()), build_bin());
}

TEST_F(ProgramFolderLayoutTest, HomeOptionAndEnvironmentBeatBothRules) {
  fs::current_path(work());
  ::setenv("ZUNA_HOME", (root_ / "env").c_str(), 1);
  EXPECT_EQ(ResolveProgramFolder(std::nullopt, installed_bin()), root_ / "env");
  EXPECT_EQ(ResolveProgramFolder(std::nullopt, build_bin()), root_ / "env");
  EXPECT_EQ(ResolveProgramFolder(root_ / "home", installed_bin()), root_ / "home");
  EXPECT_EQ(ResolveProgramFolder(root_ / "home", build_bin()), root_ / "home");
  // An empty ZUNA_HOME names nothing.
  ::setenv("ZUNA_HOME", "", 1);
  EXPECT_EQ(ResolveProgramFolder(std::nullopt, installed_bin()), work());
}

TEST_F(ProgramFolderLayoutTest, ScriptInTheProgramFolderBeatsTheInstalledOne) {
  testkit::WriteFile(work() / "ALTER.sql", "own");
  testkit::WriteFile(installed_data() / "ALTER.sql", "installed");
  EXPECT_EQ(ScriptPath(work(), "ALTER.sql", installed_data()), work() / "ALTER.sql");
}

TEST_F(ProgramFolderLayoutTest, ScriptMissingInTheProgramFolderComesFromTheInstallation) {
  testkit::WriteFile(installed_data() / "ALTER.sql", "installed");
  EXPECT_EQ(ScriptPath(work(), "ALTER.sql", installed_data()), installed_data() / "ALTER.sql");
}

TEST_F(ProgramFolderLayoutTest, ScriptMissingEverywhereIsNamedInTheProgramFolder) {
  EXPECT_EQ(ScriptPath(work(), "ALTER.sql", installed_data()), work() / "ALTER.sql");
  // A folder of that name in the installation is no script.
  fs::create_directories(installed_data() / "pk.sql");
  EXPECT_EQ(ScriptPath(work(), "pk.sql", installed_data()), work() / "pk.sql");
}

TEST_F(ProgramFolderLayoutTest, WithoutAnInstallationOnlyTheProgramFolderCounts) {
  EXPECT_EQ(ScriptPath(work(), "ALTER.sql", std::nullopt), work() / "ALTER.sql");
  // The test program runs from the build folder: its scripts are never taken from elsewhere.
  EXPECT_EQ(InstalledDataFolder(ExecutableFolder()), std::nullopt);
  EXPECT_EQ(ScriptPath(work(), "ALTER.sql"), work() / "ALTER.sql");
}

}  // namespace
}  // namespace zuna::files
