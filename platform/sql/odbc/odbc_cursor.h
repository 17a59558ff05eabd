#pragma once

#include <memory>

#include "platform/sql/connection.h"
#include "platform/sql/odbc/odbc_handles.h"

namespace zuna::sql::odbc {

// The rows of the query that `stmt` executed: every column is read as text (binary as bytes)
// and typed by its SQL type, as the embedded engine types its columns.
std::unique_ptr<Cursor> OpenCursor(Handle stmt);

}  // namespace zuna::sql::odbc
