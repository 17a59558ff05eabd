#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/base/status.h"

struct pg_conn;
struct pg_result;

// What the server's answers to a COPY say: whether the session ended, which line it refused and
// the refusal as a status that reads like psqlODBC's.
namespace zuna::sql::postgres {

// psqlODBC's native error number for every server error, so refusals read alike on both paths.
inline constexpr long kServerError = 1;
// ADO's number for a failure reported by the provider: the connection itself failed.
inline constexpr long kErrProvider = -2147467259;

// libpq's messages end in a line break and may hold more: one line, parts apart by "; ".
std::string OneLine(std::string_view message);

// True when the connection is gone or the server's error ends the session.
bool SessionEnded(pg_conn* conn, const pg_result* result);

// The line of a COPY into `table` the server's refusal names (1 is the first); 0 when it names
// none.
std::size_t RefusedLine(const pg_result* result, std::string_view table);

// The server's refusal: its SQLSTATE and message with its detail, on one line, under `action`.
Status Refusal(pg_conn* conn, const pg_result* result, std::string_view action);

}  // namespace zuna::sql::postgres
