// What a connection's session is made to do on a server (server_session.cc), against the
// PostgreSQL and MariaDB servers ctest starts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sql/odbc/odbc_connection.h"
#include "tests/support/odbc_environment.h"

namespace zuna::sql::odbc {
namespace {

// What a connection's session is made to do on a server, whatever the server's own settings:
// the test servers run with MariaDB outside its strict mode, as many installations do, and
// PostgreSQL with its default date order.
class ServerSessionTest : public ::testing::Test {
 protected:
  std::shared_ptr<OdbcConnection> Connect(testkit::TestServer server) {
    const auto dsn = testkit::TestServerDataSource(server);
    if (!dsn) return nullptr;
    auto connection = OdbcConnection::Open("DSN=" + *dsn);
    EXPECT_TRUE(connection.ok()) << connection.status().ToString();
    return connection.ok() ? *connection : nullptr;
  }

  std::string One(Connection& connection, std::string_view query) {
    auto cursor = connection.Query(query);
    EXPECT_TRUE(cursor.ok()) << cursor.status().ToString();
    std::vector<Value> row;
    if (!cursor.ok() || !*(*cursor)->Next(row) || row.empty()) return "<none>";
    return row[0].is_null() ? "<null>" : row[0].ToText();
  }
};

// Outside strict mode MariaDB stores "01/01/1900" in a date column as 0000-00-00, cuts a text to
// its column and clips a number to its type, and its driver reports plain success.
TEST_F(ServerSessionTest, MariaDbRefusesAValueItWouldChange) {
  auto connection = Connect(testkit::TestServer::kMariaDb);
  if (!connection) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
  ASSERT_EQ(One(*connection, "SELECT @@GLOBAL.sql_mode LIKE '%STRICT%'"), "0")
      << "the test server must run outside strict mode for this test to mean anything";
  ASSERT_TRUE(connection->Execute("DROP TABLE IF EXISTS changed").ok());
  ASSERT_TRUE(
      connection->Execute("CREATE TABLE changed (born date, code varchar(3), small tinyint)").ok());
  for (const char* values : {"('01/01/1900', NULL, NULL)", "(NULL, 'ABCD', NULL)",
                             "(NULL, NULL, 300)", "('2001-02-30', NULL, NULL)"}) {
    const Status saved = connection->Execute(std::string("INSERT INTO changed VALUES ") + values);
    EXPECT_FALSE(saved.ok()) << values << " was saved changed";
    EXPECT_NE(saved.number(), 0) << saved.ToString();
  }
  EXPECT_EQ(One(*connection, "SELECT COUNT(*) FROM changed"), "0");
  // What a value may still do: be saved unchanged.
  ASSERT_TRUE(connection->Execute("INSERT INTO changed VALUES ('1900-01-01', 'ABC', 127)").ok());
  EXPECT_EQ(One(*connection, "SELECT born FROM changed"), "01/01/1900");
}

// The embedded engine reads a text date day first, as the FoxPro data writes it.
TEST_F(ServerSessionTest, PostgresReadsATextDateDayFirst) {
  auto connection = Connect(testkit::TestServer::kPostgres);
  if (!connection) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
  ASSERT_TRUE(connection->Execute("DROP TABLE IF EXISTS dates").ok());
  ASSERT_TRUE(connection->Execute("CREATE TABLE dates (id int, born date)").ok());
  ASSERT_TRUE(connection->Execute("INSERT INTO dates VALUES (1, '02/03/2001')").ok());
  ASSERT_TRUE(connection->Execute("INSERT INTO dates VALUES (2, '13/02/2001')").ok());
  EXPECT_EQ(One(*connection, "SELECT born FROM dates WHERE id = 1"), "02/03/2001");
  EXPECT_EQ(One(*connection, "SELECT born FROM dates WHERE id = 2"), "13/02/2001");
  EXPECT_EQ(One(*connection, "SELECT COUNT(*) FROM dates WHERE born = '2001-03-02'"), "1");
}

}  // namespace
}  // namespace zuna::sql::odbc
