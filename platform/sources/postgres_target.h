#pragma once

#include <string_view>

#include "platform/sql/postgres/copy_connection.h"

namespace zuna::sources {

// The libpq parameters of the PostgreSQL database an ODBC connection string reaches through
// psqlODBC: each of Servername (or Server), Port, Database, Username (or UID), Password (or PWD)
// and SSLmode from the string itself, else from its data source's entry in odbc.ini.
sql::postgres::PostgresTarget PostgresTargetOf(std::string_view odbc_connection);

}  // namespace zuna::sources
