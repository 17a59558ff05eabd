#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zuna::testkit {

// The database servers ctest starts for the tests that need them (tools/test_servers.sh).
enum class TestServer { kPostgres, kMariaDb };

std::string_view TestServerName(TestServer server);

// The data source of a test server in this process's ODBCINI ("zuna_postgres",
// "zuna_mariadb"), or nothing when the servers were not started for this process: ctest sets
// ZUNA_TEST_SERVERS for the tests that declare the servers as their fixture.
std::optional<std::string> TestServerDataSource(TestServer server);

// The data source "pay" of this process's ODBCINI: SQLite's ODBC driver on a database file of
// this process.
inline constexpr std::string_view kSqlitePayDataSource = "pay";

}  // namespace zuna::testkit
