#include "platform/sql/odbc/data_source_info.h"

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <initializer_list>

#include "platform/sql/odbc/connection_attributes.h"
#include "platform/sql/odbc/odbc_handles.h"
#include "platform/text/ascii.h"

namespace zuna::sql::odbc {
namespace {

// The data sources of one kind: SQL_FETCH_FIRST_USER, SQL_FETCH_FIRST_SYSTEM or SQL_FETCH_FIRST.
std::vector<std::string> DataSources(SQLUSMALLINT first) {
  std::vector<std::string> names;
  SQLHANDLE env = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return names;
  Handle owner(env, {SQL_HANDLE_ENV});
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
  SQLCHAR description[256];
  SQLSMALLINT name_length = 0, description_length = 0;
  SQLUSMALLINT direction = first;
  while (Succeeded(SQLDataSources(env, direction, name, sizeof name, &name_length, description,
                                  sizeof description, &description_length))) {
    names.emplace_back(reinterpret_cast<char*>(name));
    direction = SQL_FETCH_NEXT;
  }
  return names;
}

bool Contains(const std::vector<std::string>& names, std::string_view wanted) {
  for (const std::string& name : names) {
    if (text::EqualsIgnoringCase(name, wanted)) return true;
  }
  return false;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The first of `keys` that the connection string gives (even empty, which overrides the data
// source), or else that the data source gives a value.
std::string Setting(const std::vector<ConnectionAttribute>& attributes, std::string_view dsn,
                    std::initializer_list<std::string_view> keys) {
  for (const std::string_view key : keys) {
    if (auto value = FindAttribute(attributes, key)) return *value;
  }
  if (dsn.empty()) return {};
  for (const std::string_view key : keys) {
    if (std::string value = DataSourceSetting(dsn, key); !value.empty()) return value;
  }
  return {};
}

}  // namespace

std::vector<std::string> ListDataSources() { return DataSources(SQL_FETCH_FIRST); }

std::string DataSourceSetting(std::string_view dsn, std::string_view key) {
  char value[1024] = {};
  const std::string section(dsn);
  const std::string entry(key);
  const int length = SQLGetPrivateProfileString(section.c_str(), entry.c_str(), "", value,
                                                sizeof value, "odbc.ini");
  return length > 0 ? std::string(value) : std::string();
}

std::string DataSourceFile(std::string_view dsn) {
  if (Contains(DataSources(SQL_FETCH_FIRST_USER), dsn)) {
    const std::string file = Environment("ODBCINI");
    return file.empty() ? Environment("HOME") + "/.odbc.ini" : file;
  }
  if (Contains(DataSources(SQL_FETCH_FIRST_SYSTEM), dsn)) {
    const std::string folder = Environment("ODBCSYSINI");
    return (folder.empty() ? std::string("/etc") : folder) + "/odbc.ini";
  }
  return {};
}

std::string DescribeTarget(std::string_view connection_string) {
  const std::vector<ConnectionAttribute> attributes = ParseConnectionString(connection_string);
  const std::string dsn = FindAttribute(attributes, "DSN").value_or("");
  std::string words;
  const auto add = [&](std::string part) {
    if (!words.empty()) words += ", ";
    words += part;
  };
  if (!dsn.empty()) {
    const std::string file = DataSourceFile(dsn);
    add("DSN " + dsn + (file.empty() ? " (not defined in odbc.ini)" : " (" + file + ")"));
  }
  if (std::string driver = Setting(attributes, dsn, {"Driver"}); !driver.empty()) {
    add("driver " + driver);
  }
  const std::string server = Setting(attributes, dsn, {"Servername", "Server", "Host"});
  const std::string socket = Setting(attributes, dsn, {"Socket"});
  const std::string port = Setting(attributes, dsn, {"Port"});
  std::string where =
      server.empty() ? std::string("the driver's default server") : "server " + server;
  if (!socket.empty()) where += " (socket " + socket + ")";
  if (!port.empty() && socket.empty()) where += ", port " + port;
  add(where);
  const std::string database = Setting(attributes, dsn, {"Database", "DB"});
  add(database.empty() ? std::string("no database named") : "database " + database);
  return words;
}

}  // namespace zuna::sql::odbc
