#include "platform/sql/odbc/server_session.h"

#include <string>
#include <string_view>

#include "platform/sql/odbc/odbc_handles.h"
#include "platform/text/ascii.h"

namespace zuna::sql::odbc {
namespace {

// What a session needs before values reach the server, by the server's name as its driver
// reports it. MariaDB and MySQL outside their strict mode store a value they cannot take changed
// (a text date they cannot read as 0000-00-00, a text cut to its column, a number clipped to its
// type) while their driver reports plain success: the session is made strict, keeping the rest
// of the server's mode. PostgreSQL reads a text date month first unless told otherwise; the
// embedded engine reads it day first.
struct SessionSetting {
  std::string_view dbms;
  std::string_view statement;
};
constexpr std::string_view kStrictMode =
    "SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, "
    "',STRICT_ALL_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,ERROR_FOR_DIVISION_BY_ZERO')";
constexpr SessionSetting kSessionSettings[] = {
    {"mariadb", kStrictMode},
    {"mysql", kStrictMode},
    {"postgresql", "SET DateStyle = 'ISO, DMY'"},
};

}  // namespace

Status PrepareSession(SQLHDBC dbc) {
  SQLCHAR name[128] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length))) return Status::Ok();
  const std::string dbms = text::LowerAscii(reinterpret_cast<char*>(name));
  for (const SessionSetting& setting : kSessionSettings) {
    if (dbms != setting.dbms) continue;
    Handle stmt = NewStatement(dbc);
    if (!stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "prepare the session");
    std::string sql(setting.statement);
    if (!Succeeded(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                 static_cast<SQLINTEGER>(sql.size())))) {
      return Diagnose(SQL_HANDLE_STMT, stmt.get(), "prepare the session: " + sql);
    }
  }
  return Status::Ok();
}

}  // namespace zuna::sql::odbc
