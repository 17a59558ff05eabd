#pragma once

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/base/status.h"

// The handles of unixODBC and its diagnostics, shared by the connection and its cursors.
namespace zuna::sql::odbc {

// Frees a handle of its type when its owner goes.
struct HandleFree {
  SQLSMALLINT type;
  void operator()(SQLHANDLE handle) const {
    if (handle != SQL_NULL_HANDLE) SQLFreeHandle(type, handle);
  }
};
using Handle = std::unique_ptr<void, HandleFree>;

inline bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// A driver's message on one line: line breaks (PostgreSQL's messages hold several) become "; ",
// or a blank before an indented line, which goes on the sentence before it.
std::string OneLine(std::string_view message);

// The first diagnostic record of a handle: the native error as the number, "[SQLSTATE] message"
// (on one line) as the description, and `action` put in front of it.
Status Diagnose(SQLSMALLINT type, SQLHANDLE handle, std::string_view action);

// A new statement of `dbc`; empty when the driver gives none (Diagnose the connection then).
Handle NewStatement(SQLHDBC dbc);

}  // namespace zuna::sql::odbc
