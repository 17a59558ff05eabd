#pragma once

#include <memory>
#include <string_view>

#include "platform/base/result.h"
#include "platform/sql/dialect/server_dialect.h"
#include "platform/sql/odbc/odbc_handles.h"

namespace zuna::sql::odbc {

// An open connection through unixODBC and what its driver said of the server behind it.
// Disconnects when it goes.
struct Session {
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  Handle env{nullptr, {SQL_HANDLE_ENV}};
  Handle dbc{nullptr, {SQL_HANDLE_DBC}};
  dialect::ServerDialect dialect = dialect::ServerDialect::SqlServer();
};

// Connects with `connection_string` (as SQLDriverConnect takes it), learns the server's dialect
// from the driver (SQL_DBMS_NAME, SQL_IDENTIFIER_QUOTE_CHAR) and prepares the session for the
// tool's values as the dialect says: MariaDB and MySQL are made strict, PostgreSQL reads text
// dates day first. A session that cannot be prepared is a failure: it could change values
// silently.
Result<std::unique_ptr<Session>> OpenSession(std::string_view connection_string);

}  // namespace zuna::sql::odbc
