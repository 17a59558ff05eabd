#include "verify/target_connection.h"

#include "core/connection_texts.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/odbc/connection_attributes.h"
#include "platform/sql/odbc/odbc_connection.h"

namespace zuna::verify {
namespace {

constexpr std::string_view kReadOnceCache = "PRAGMA cache_size=-2000";

}  // namespace

std::string WithCursorFetch(std::string_view connection_string) {
  auto attributes = sql::odbc::ParseConnectionString(connection_string);
  if (sql::odbc::FindAttribute(attributes, "UseDeclareFetch") ||
      sql::odbc::FindAttribute(attributes, "B6")) {
    return std::string(connection_string);
  }
  attributes.push_back({"UseDeclareFetch", "1"});
  return sql::odbc::FormatConnectionString(attributes);
}

Result<std::shared_ptr<sql::Connection>> OpenTargetForReading(const sources::DataSources& sources) {
  ASSIGN_OR_RETURN(const sources::DataSource pay, sources.Resolve(core::kPayConnection));
  ASSIGN_OR_RETURN(auto target, sources.OpenConnection(core::kPayConnection));
  if (pay.backend == sources::Backend::kSqlite) {
    RETURN_IF_ERROR(target->Execute(kReadOnceCache));
    return target;
  }
  // Which server answers shows only once connected.
  const auto* odbc = dynamic_cast<const sql::odbc::OdbcConnection*>(target.get());
  if (pay.backend != sources::Backend::kOdbc || odbc == nullptr ||
      odbc->dialect().family() != sql::dialect::ServerFamily::kPostgres) {
    return target;
  }
  const std::string reading = WithCursorFetch(pay.odbc_connection);
  if (reading == pay.odbc_connection) return target;
  auto again = sql::odbc::OdbcConnection::Open(reading, pay.odbc);
  if (!again.ok()) return again.status().WithContext("the target again, to read it by cursor");
  return std::shared_ptr<sql::Connection>(std::move(again).value());
}

}  // namespace zuna::verify
