#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/base/result.h"
#include "platform/sql/connection.h"

namespace zuna::sources {
class DataSources;
}

namespace zuna::verify {

// The target "pay" opened for the verification, which reads each table once from its start to
// its end and keeps nothing of the rows but their hashes. So that the memory does not follow the
// tables' size:
//  - the embedded engine keeps SQLite's default page cache (2 MB), not the 64 MB its connection
//    keeps for the import's writes;
//  - on PostgreSQL, psqlODBC is asked to fetch through a cursor a few rows at a time
//    (UseDeclareFetch=1): otherwise it reads a whole table's result into memory before the first
//    row (about 400 MB for 100,000 personnel rows). A data source that sets UseDeclareFetch
//    itself is left as it is.
// MariaDB Connector/ODBC before 3.1.17 has no such setting: it always holds the whole result.
Result<std::shared_ptr<sql::Connection>> OpenTargetForReading(const sources::DataSources& sources);

// `connection_string` with UseDeclareFetch=1 added, or unchanged when it names UseDeclareFetch
// (or psqlODBC's short name for it, B6) itself.
std::string WithCursorFetch(std::string_view connection_string);

}  // namespace zuna::verify
