#pragma once

#include <memory>
#include <string_view>

#include "platform/base/result.h"
#include "platform/recordset/recordset.h"
#include "platform/sql/connection.h"

namespace zuna::sql {

// Opens a recordset for `source` on `connection`, as an ADO recordset with a static cursor and
// optimistic locking would:
//  - "select * from NAME" opens the table: its rows can be read, and AddNew / Set / Update add
//    rows to it (only the assigned columns are given; the others get their defaults). The rows
//    are fetched only when first read, so a target that is only added to reads nothing.
//  - any other query returns its rows, read-only;
//  - any other statement (an update) is executed and gives a recordset without rows.
// A missing table fails with SQL Server's "Invalid object name".
Result<std::unique_ptr<recordset::Recordset>> OpenSqlRecordset(
    std::shared_ptr<Connection> connection, std::string_view source);

}  // namespace zuna::sql
