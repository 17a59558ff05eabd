#pragma once

#include <string>
#include <string_view>
#include <vector>

// unixODBC's data sources: their names, where each is defined and what it holds.
namespace zuna::sql::odbc {

// The data source names unixODBC knows (user and system), for resolving "dsn=pay".
std::vector<std::string> ListDataSources();

// The value of `key` in the definition of data source `dsn` (the user's odbc.ini before the
// system's); empty when it has none.
std::string DataSourceSetting(std::string_view dsn, std::string_view key);

// The file that defines data source `dsn`: the user's odbc.ini ($ODBCINI, else ~/.odbc.ini) or
// the system's ($ODBCSYSINI/odbc.ini, else /etc/odbc.ini); empty when unixODBC does not know it.
std::string DataSourceFile(std::string_view dsn);

// What `connection_string` reaches, in words for a message: the data source and the file that
// defines it, the driver, the server and the database, as the string and the data source's
// definition give them ("DSN zuna_pg (/home/u/.odbc.ini), driver PostgreSQL Unicode, server
// dbhost, database zuna"). Never a password.
std::string DescribeTarget(std::string_view connection_string);

}  // namespace zuna::sql::odbc
