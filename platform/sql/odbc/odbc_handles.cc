#include "platform/sql/odbc/odbc_handles.h"

#include <string>
#include <utility>

namespace zuna::sql::odbc {

std::string OneLine(std::string_view message) {
  std::string line;
  line.reserve(message.size());
  std::size_t i = 0;
  while (i < message.size()) {
    const char c = message[i];
    if (c != '\r' && c != '\n') {
      line.push_back(c == '\t' ? ' ' : c);
      ++i;
      continue;
    }
    // A run of line breaks with the blanks around it. A line indented after it goes on the
    // sentence before; a line of its own is set off by "; ".
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    bool indented = false;
    while (i < message.size() &&
           (message[i] == '\r' || message[i] == '\n' || message[i] == ' ' || message[i] == '\t')) {
      if ((message[i] == ' ' || message[i] == '\t') && message[i - 1] != ' ' &&
          message[i - 1] != '\t') {
        indented = true;
      }
      ++i;
    }
    if (i < message.size() && !line.empty()) line += indented ? " " : "; ";
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

Status Diagnose(SQLSMALLINT type, SQLHANDLE handle, std::string_view action) {
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
  SQLSMALLINT length = 0;
  std::string text;
  if (handle != SQL_NULL_HANDLE &&
      Succeeded(SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length))) {
    text = "[" + std::string(reinterpret_cast<char*>(state)) + "] " +
           OneLine(reinterpret_cast<char*>(message));
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
