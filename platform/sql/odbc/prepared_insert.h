#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/odbc/odbc_handles.h"
#include "platform/sql/odbc/parameter_batch.h"

namespace zuna::sql::odbc {

// The parts of OdbcConnection that its source files share.

// A prepared insert with the rows waiting to be sent through it.
struct OdbcConnection::PreparedInsert {
  explicit PreparedInsert(std::vector<ColumnType::Kind> columns) : batch(std::move(columns)) {}
  Handle stmt{nullptr, {SQL_HANDLE_STMT}};
  std::string table;
  std::string sql;               // the insert's text, to prepare it again on a new connection
  std::uint64_t generation = 0;  // the connection it was prepared on (OdbcConnection::generation_)
  ParameterBatch batch;
  std::vector<SQLUSMALLINT> statuses;  // the driver's status of each row of an array
};

// A query run on a statement of its own: the statement to read it from, or the failure.
struct OdbcConnection::Ran {
  Handle stmt{nullptr, {SQL_HANDLE_STMT}};
  Status status;
};

}  // namespace zuna::sql::odbc
