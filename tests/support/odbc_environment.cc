// Every test process reads ODBC drivers from an odbcinst.ini of its own, so the tests do not
// depend on the machine's driver registrations, and drivers stay loaded until the process ends
// (DontDLClose): a leak checker can then name the driver in its reports.
#include <glob.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string FindSqliteOdbcDriver() {
  glob_t found{};
  std::string path;
  if (::glob("/usr/lib/*/odbc/libsqlite3odbc.so", 0, nullptr, &found) == 0 && found.gl_pathc > 0) {
    path = found.gl_pathv[0];
  }
  ::globfree(&found);
  return path;
}

class OdbcEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const auto folder =
        std::filesystem::temp_directory_path() / ("zuna-odbcinst-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "odbcinst.ini") << "[SQLite3]\nDescription = SQLite3 ODBC Driver\n"
                                           << "Driver = " << FindSqliteOdbcDriver() << "\n"
                                           << "DontDLClose = 1\n";
    ::setenv("ODBCSYSINI", folder.c_str(), 1);
    folder_ = folder;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    // The data source the contract tests keep for the whole process.
    const std::string base =
        (std::filesystem::temp_directory_path() / ("zuna-odbc-" + std::to_string(::getpid())))
            .string();
    std::filesystem::remove(base + ".ini", ec);
    std::filesystem::remove(base + ".db", ec);
  }

 private:
  std::filesystem::path folder_;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new OdbcEnvironment);

}  // namespace
