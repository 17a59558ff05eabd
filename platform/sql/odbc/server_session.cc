#include "platform/sql/odbc/server_session.h"

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace zuna::sql::odbc {
namespace {

// A text the driver reports of its connection; empty when it reports none.
std::string DriverInfo(SQLHDBC dbc, SQLUSMALLINT what) {
  SQLCHAR value[256] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfo(dbc, what, value, sizeof value, &length))) return {};
  return reinterpret_cast<char*>(value);
}

}  // namespace

Session::~Session() {
  if (dbc) SQLDisconnect(dbc.get());
}

Result<std::unique_ptr<Session>> OpenSession(std::string_view connection_string) {
  auto session = std::make_unique<Session>();
  SQLHANDLE env = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
    return Status(ErrorKind::kDatabase, 0, "the ODBC driver manager cannot be started");
  }
  session->env.reset(env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLHANDLE dbc = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
    return Diagnose(SQL_HANDLE_ENV, env, "connect");
  }
  session->dbc = Handle(dbc, {SQL_HANDLE_DBC});
  std::string text(connection_string);
  SQLCHAR out[1024];
  SQLSMALLINT out_length = 0;
  const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                        static_cast<SQLSMALLINT>(text.size()), out, sizeof out,
                                        &out_length, SQL_DRIVER_NOPROMPT);
  if (!Succeeded(rc)) {
    Status st = Diagnose(SQL_HANDLE_DBC, dbc, "connect");
    session->dbc.reset();  // never connected: nothing to disconnect
    return st;
  }
  session->dialect = dialect::ServerDialect::ForDriver(DriverInfo(dbc, SQL_DBMS_NAME),
                                                       DriverInfo(dbc, SQL_IDENTIFIER_QUOTE_CHAR));
  if (const std::string_view setup = session->dialect.session_setup(); !setup.empty()) {
    Handle stmt = NewStatement(dbc);
    if (!stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "prepare the session");
    std::string sql(setup);
    if (!Succeeded(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                 static_cast<SQLINTEGER>(sql.size())))) {
      return Diagnose(SQL_HANDLE_STMT, stmt.get(), "prepare the session: " + sql);
    }
  }
  return session;
}

}  // namespace zuna::sql::odbc
