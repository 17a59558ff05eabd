#include "platform/sources/postgres_target.h"

#include <initializer_list>
#include <string>

#include "platform/sql/odbc/connection_attributes.h"
#include "platform/sql/odbc/data_source_info.h"
#include "platform/text/ascii.h"

namespace zuna::sources {

sql::postgres::PostgresTarget PostgresTargetOf(std::string_view odbc_connection) {
  const std::vector<sql::odbc::ConnectionAttribute> attributes =
      sql::odbc::ParseConnectionString(odbc_connection);
  const std::string dsn = sql::odbc::FindAttribute(attributes, "DSN").value_or("");
  // psqlODBC's keys for each setting, the later of a pair winning in a connection string as
  // the driver reads it.
  const auto setting = [&](std::initializer_list<std::string_view> keys) {
    std::string value;
    for (const std::string_view key : keys) {
      if (auto given = sql::odbc::FindAttribute(attributes, key); given && !given->empty()) {
        value = *given;
      }
    }
    if (!value.empty() || dsn.empty()) return value;
    for (const std::string_view key : keys) {
      if (std::string defined = sql::odbc::DataSourceSetting(dsn, key); !defined.empty()) {
        value = defined;
      }
    }
    return value;
  };
  sql::postgres::PostgresTarget target;
  target.host = setting({"Server", "Servername"});
  target.port = setting({"Port"});
  target.database = setting({"Database"});
  target.user = setting({"UID", "Username"});
  target.password = setting({"PWD", "Password"});
  target.sslmode = setting({"SSLmode"});
  return target;
}

bool UsesPsqlOdbc(std::string_view odbc_connection) {
  const std::vector<sql::odbc::ConnectionAttribute> attributes =
      sql::odbc::ParseConnectionString(odbc_connection);
  std::string driver = sql::odbc::FindAttribute(attributes, "Driver").value_or("");
  if (driver.empty()) {
    if (auto dsn = sql::odbc::FindAttribute(attributes, "DSN")) {
      driver = sql::odbc::DataSourceSetting(*dsn, "Driver");
    }
  }
  driver = text::LowerAscii(driver);
  return driver.find("postgres") != std::string::npos ||
         driver.find("psqlodbc") != std::string::npos;
}

}  // namespace zuna::sources
