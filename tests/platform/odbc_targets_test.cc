// What an ODBC connection reaches and what the operator reads when it fails: connection strings
// read as drivers read them, failures that name the data source, where it was defined, the server
// and the database on one line, and the administrative catalog create-database opens on each
// server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/connection_texts.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/odbc/connection_attributes.h"
#include "platform/sql/odbc/data_source_info.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/odbc/odbc_handles.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/odbc_environment.h"

namespace zuna::sql::odbc {
namespace {

using sources::DataSources;

TEST(ConnectionAttributesTest, ValuesInBracesMayHoldSemicolons) {
  const auto attributes =
      ParseConnectionString("DSN=pay; Database = zuna ;PWD={a;b}}c};Exclusive=Yes;junk;UID=");
  ASSERT_EQ(attributes.size(), 5u);
  EXPECT_EQ(attributes[1].key, "Database");
  EXPECT_EQ(attributes[1].value, "zuna");
  EXPECT_EQ(attributes[2].value, "a;b}c");
  EXPECT_EQ(attributes[4].value, "");
  EXPECT_EQ(FormatConnectionString(attributes),
            "DSN=pay;Database=zuna;PWD={a;b}}c};Exclusive=Yes;UID=");
  EXPECT_EQ(FindAttribute(ParseConnectionString("Database=a;DATABASE=b"), "database"), "b");
  EXPECT_FALSE(FindAttribute(attributes, "Server").has_value());
}

TEST(OneLineTest, ADriversMessageOfSeveralLinesIsShownOnOne) {
  EXPECT_EQ(OneLine("FATAL:  database \"master\" does not exist\n"),
            "FATAL:  database \"master\" does not exist");
  // psqlODBC's message after a server restart: lines of their own, and indented ones that go on
  // the sentence before.
  EXPECT_EQ(OneLine("terminating connection due to administrator command\nserver closed the "
                    "connection unexpectedly\n\tThis probably means the server terminated "
                    "abnormally\n\tbefore or while processing the request.\n"),
            "terminating connection due to administrator command; server closed the connection "
            "unexpectedly This probably means the server terminated abnormally before or while "
            "processing the request.");
  EXPECT_EQ(OneLine("a\r\n\r\nb\tc"), "a; b c");
}

class OdbcTargetsTest : public ::testing::Test {
 protected:
  DataSources With(const std::string& ini) {
    return DataSources(folder_.path(), config::IniFile::Parse(ini), ListDataSources());
  }

  testkit::TempFolder folder_;
};

TEST_F(OdbcTargetsTest, AFailedConnectionNamesItsTargetAndNoPassword) {
  const DataSources sources = With(
      "[pay]\nDriver = odbc\nConnectionString = Driver=PostgreSQL Unicode;"
      "Servername=/nonexistent-zuna;Database=zuna;Username=payroll;Password=secret\n");
  auto connection = sources.OpenConnection(core::kPayConnection);
  ASSERT_FALSE(connection.ok());
  const std::string& message = connection.status().description();
  for (const char* part : {"data source pay (zuna.ini [pay])", "driver PostgreSQL Unicode",
                           "server /nonexistent-zuna", "database zuna", "connect: [08001]"}) {
    EXPECT_NE(message.find(part), std::string::npos) << part << " not in: " << message;
  }
  EXPECT_EQ(message.find("secret"), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), std::string::npos) << message;
}

TEST_F(OdbcTargetsTest, AFailedDataSourceNamesTheFileThatDefinesIt) {
  // The data source "pay" of this process's odbc.ini, on SQLite's driver, with a database the
  // connection string puts where no folder is.
  const DataSources sources =
      With("[pay]\nDriver = odbc\nConnectionString = DSN=pay;Database=/nonexistent-zuna/pay.db\n");
  auto connection = sources.OpenConnection(core::kPayConnection);
  ASSERT_FALSE(connection.ok());
  const std::string& message = connection.status().description();
  const std::string file = std::getenv("ODBCINI");
  for (const std::string& part : {"DSN pay (" + file + ")", std::string("driver SQLite3"),
                                  std::string("database /nonexistent-zuna/pay.db")}) {
    EXPECT_NE(message.find(part), std::string::npos) << part << " not in: " << message;
  }
}

TEST_F(OdbcTargetsTest, TheReportsEmptyLoginLeavesTheDataSourcesOwn) {
  const DataSources sources = With("");
  auto report = sources.Resolve(core::kReportConnection);
  ASSERT_TRUE(report.ok()) << report.status().ToString();
  EXPECT_EQ(report->origin, "odbc.ini");
  EXPECT_EQ(report->odbc_connection, "DSN=pay");
  auto given = sources.Resolve("DSN=pay;UID=clerk;PWD=;Exclusive=Yes");
  ASSERT_TRUE(given.ok());
  EXPECT_EQ(given->odbc_connection, "DSN=pay;UID=clerk");
}

// create-database asks for the catalog master; PostgreSQL's administrative catalog is postgres,
// MariaDB connects to none.
class AdministrativeCatalogTest : public OdbcTargetsTest {
 protected:
  std::string CatalogOf(testkit::TestServer server, std::string_view query) {
    const auto dsn = testkit::TestServerDataSource(server);
    if (!dsn) return "<no server>";
    const DataSources sources =
        With("[server]\nDriver = odbc\nConnectionString = DSN=" + *dsn + ";Database={catalog}\n");
    auto connection = sources.OpenConnection(std::string(core::kMasterPrefix) + "ignored");
    EXPECT_TRUE(connection.ok()) << connection.status().ToString();
    if (!connection.ok()) return "<failed>";
    auto cursor = (*connection)->Query(query);
    EXPECT_TRUE(cursor.ok()) << cursor.status().ToString();
    std::vector<Value> row;
    if (!cursor.ok() || !*(*cursor)->Next(row)) return "<no row>";
    return row[0].is_null() ? "<null>" : row[0].ToText();
  }
};

TEST_F(AdministrativeCatalogTest, PostgresCreatesDatabasesFromPostgres) {
  if (!testkit::TestServerDataSource(testkit::TestServer::kPostgres)) {
    GTEST_SKIP() << "the test servers are not running (ctest starts them)";
  }
  EXPECT_EQ(CatalogOf(testkit::TestServer::kPostgres, "SELECT current_database()"), "postgres");
}

TEST_F(AdministrativeCatalogTest, MariaDbCreatesDatabasesFromNone) {
  if (!testkit::TestServerDataSource(testkit::TestServer::kMariaDb)) {
    GTEST_SKIP() << "the test servers are not running (ctest starts them)";
  }
  EXPECT_EQ(CatalogOf(testkit::TestServer::kMariaDb, "SELECT DATABASE()"), "<null>");
}

}  // namespace
}  // namespace zuna::sql::odbc
