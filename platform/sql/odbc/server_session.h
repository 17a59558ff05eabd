#pragma once

#include <sql.h>

#include "platform/base/status.h"

namespace zuna::sql::odbc {

// Prepares a new session on `dbc` for the tool's values, by the server's name as its driver
// reports it: MariaDB and MySQL are made strict, PostgreSQL reads text dates day first. A
// session that cannot be prepared is a failure: it could change values silently.
Status PrepareSession(SQLHDBC dbc);

}  // namespace zuna::sql::odbc
