#include "platform/sql/odbc/odbc_handles.h"

#include <string>
#include <utility>

namespace zuna::sql::odbc {

Status Diagnose(SQLSMALLINT type, SQLHANDLE handle, std::string_view action) {
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
  SQLSMALLINT length = 0;
  std::string text;
  if (handle != SQL_NULL_HANDLE &&
      Succeeded(SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length))) {
    text = "[" + std::string(reinterpret_cast<char*>(state)) + "] " +
           std::string(reinterpret_cast<char*>(message));
  } else {
    text = "the ODBC driver manager reported a failure without a diagnostic";
  }
  Status st(ErrorKind::kDatabase, native, std::move(text));
  return st.WithContext(action);
}

Handle NewStatement(SQLHDBC dbc) {
  SQLHANDLE stmt = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)))
    return Handle(nullptr, {SQL_HANDLE_STMT});
  return Handle(stmt, {SQL_HANDLE_STMT});
}

}  // namespace zuna::sql::odbc
