// Every test process reads ODBC drivers from an odbcinst.ini of its own, so the tests do not
// depend on the machine's driver registrations, and drivers stay loaded until the process ends
// (DontDLClose): a leak checker can then name the driver in its reports. Its data sources are in
// an odbc.ini of its own too (ODBCINI), written once before any test runs, since the driver
// manager keeps what it read for the whole process: "pay" on SQLite's driver, and the test
// servers' data sources when ctest started them for this test.
#include "tests/support/odbc_environment.h"

#include <glob.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zuna::testkit {
namespace {

// The first file matching `pattern` (drivers live under the machine's multiarch folder).
std::string FindFile(const char* pattern) {
  glob_t found{};
  std::string path;
  if (::glob(pattern, 0, nullptr, &found) == 0 && found.gl_pathc > 0) path = found.gl_pathv[0];
  ::globfree(&found);
  return path;
}

// The folder of the running test servers, from ctest's environment.
std::optional<std::filesystem::path> ServersFolder() {
  const char* folder = std::getenv("ZUNA_TEST_SERVERS");
  if (folder == nullptr || *folder == '\0') return std::nullopt;
  return std::filesystem::path(folder);
}

std::filesystem::path ProcessFile(const std::string& suffix) {
  return std::filesystem::temp_directory_path() /
         ("zuna-odbc-" + std::to_string(::getpid()) + suffix);
}

class OdbcEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const auto folder =
        std::filesystem::temp_directory_path() / ("zuna-odbcinst-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    // The names Debian's packages register, so that data sources written for the machine work
    // here unchanged.
    std::ofstream drivers(folder / "odbcinst.ini");
    const auto add_driver = [&](const char* name, const char* pattern) {
      drivers << "[" << name << "]\nDriver = " << FindFile(pattern) << "\nDontDLClose = 1\n\n";
    };
    add_driver("SQLite3", "/usr/lib/*/odbc/libsqlite3odbc.so");
    add_driver("PostgreSQL Unicode", "/usr/lib/*/odbc/psqlodbcw.so");
    add_driver("MariaDB Unicode", "/usr/lib/*/odbc/libmaodbc.so");
    drivers.close();
    ::setenv("ODBCSYSINI", folder.c_str(), 1);
    folder_ = folder;

    std::ofstream sources(ProcessFile(".ini"));
    sources << "[" << kSqlitePayDataSource
            << "]\nDriver = SQLite3\nDatabase = " << ProcessFile(".db").string() << "\n\n";
    if (const auto servers = ServersFolder()) {
      std::ifstream in(*servers / "odbc.ini");
      std::ostringstream text;
      text << in.rdbuf();
      sources << text.str();
    }
    sources.close();
    ::setenv("ODBCINI", ProcessFile(".ini").c_str(), 1);
  }

  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    std::filesystem::remove(ProcessFile(".ini"), ec);
    std::filesystem::remove(ProcessFile(".db"), ec);
  }

 private:
  std::filesystem::path folder_;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new OdbcEnvironment);

}  // namespace

std::string_view TestServerName(TestServer server) {
  switch (server) {
    case TestServer::kPostgres:
      return "PostgreSQL";
    case TestServer::kMariaDb:
      return "MariaDB";
  }
  return "";
}

std::optional<std::string> TestServerDataSource(TestServer server) {
  if (!ServersFolder()) return std::nullopt;
  return server == TestServer::kPostgres ? "zuna_postgres" : "zuna_mariadb";
}

}  // namespace zuna::testkit
