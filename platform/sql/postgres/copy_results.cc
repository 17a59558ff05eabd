#include "platform/sql/postgres/copy_results.h"

#include <libpq-fe.h>

namespace zuna::sql::postgres {

std::string OneLine(std::string_view message) {
  std::string line;
  for (const char c : message) {
    if (c == '\n' || c == '\r') {
      if (!line.empty() && line.back() != ' ') line += "; ";
    } else {
      line.push_back(c);
    }
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == ';')) line.pop_back();
  return line;
}

bool SessionEnded(pg_conn* conn, const pg_result* result) {
  // The server ending the session (a restart: 57P01 "terminating connection due to
  // administrator command") may come before libpq sees the connection closed.
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const std::string_view code = state != nullptr ? state : "";
  return PQstatus(conn) == CONNECTION_BAD || code.starts_with("08") || code.starts_with("57P");
}

std::size_t RefusedLine(const pg_result* result, std::string_view table) {
  // "COPY personnel, line 3782, column emp_name: ..." (the table's name as the server writes it).
  const char* context = PQresultErrorField(result, PG_DIAG_CONTEXT);
  if (context == nullptr) return 0;
  const std::string prefix = "COPY " + std::string(table) + ", line ";
  const std::string_view text(context);
  const std::size_t at = text.find(prefix);
  if (at == std::string_view::npos) return 0;
  std::size_t line = 0;
  for (std::size_t i = at + prefix.size(); i < text.size() && text[i] >= '0' && text[i] <= '9';
       ++i) {
    line = line * 10 + static_cast<std::size_t>(text[i] - '0');
  }
  return line;
}

Status Refusal(pg_conn* conn, const pg_result* result, std::string_view action) {
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
  std::string text = "[" + std::string(state ? state : "08006") + "] ";
  if (primary != nullptr) {
    text += "ERROR: " + OneLine(primary);
    if (detail != nullptr) text += "; " + OneLine(detail);
  } else {
    text += OneLine(PQerrorMessage(conn));
  }
  return Status(ErrorKind::kDatabase, kServerError, std::move(text)).WithContext(action);
}

}  // namespace zuna::sql::postgres
