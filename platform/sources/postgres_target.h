#pragma once

#include <string_view>

#include "platform/sql/postgres/copy_connection.h"

namespace zuna::sources {

// The libpq parameters of the PostgreSQL database an ODBC connection string reaches through
// psqlODBC: each of Servername (or Server), Port, Database, Username (or UID), Password (or PWD)
// and SSLmode from the string itself, else from its data source's entry in odbc.ini.
sql::postgres::PostgresTarget PostgresTargetOf(std::string_view odbc_connection);

// True when the driver of `odbc_connection` (its Driver attribute, else its data source's) is
// psqlODBC, by the driver's name or library ("PostgreSQL Unicode", psqlodbcw.so): what the
// settings report says before anything connects. The connection itself decides by the server
// that answers.
bool UsesPsqlOdbc(std::string_view odbc_connection);

}  // namespace zuna::sources
