#pragma once

#include <string_view>

#include "platform/base/status.h"

struct sqlite3;

namespace zuna::sql::sqlite {

// Failures of the file under the database (disk full, I/O error, a damaged or read-only file):
// every further write would fail the same way.
bool IsStorageFailure(int code);

// The engine's last failure on `db`, which returned `rc`, as SQL Server reports it where SQL
// Server would refuse the same: a null in a NOT NULL column (515), a duplicate key (2627, 2601),
// a missing table (208) or column (207), with `table` named when given. Any other failure keeps
// SQLite's extended code and message, of kind kStorage when the storage failed.
Status EngineError(sqlite3* db, int rc, std::string_view table = {});

}  // namespace zuna::sql::sqlite
