// A connection lost under the tool: how it is recognised, and how it is made again.
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/sql/fault_settings.h"
#include "platform/sql/odbc/connection_faults.h"
#include "platform/sql/odbc/data_source_info.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/odbc/prepared_insert.h"
#include "platform/sql/odbc/server_session.h"

namespace zuna::sql::odbc {
namespace {

// MariaDB's and MySQL's client errors for a server that went ("Server has gone away", "Lost
// connection to server during query", "Lost connection to server at ..."), which its driver
// reports with SQLSTATE HY000 as well as 08S01.
bool IsLostConnectionNumber(SQLINTEGER native) {
  return native == 2006 || native == 2013 || native == 2055;
}

std::string Seconds(std::chrono::milliseconds wait) {
  const auto whole = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
  return std::to_string(whole) + (whole == 1 ? " second" : " seconds");
}

}  // namespace

bool OdbcConnection::Lost(int handle_type, void* handle) const {
  const auto type = static_cast<SQLSMALLINT>(handle_type);
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  for (SQLSMALLINT record = 1;
       Succeeded(SQLGetDiagRec(type, handle, record, state, &native, nullptr, 0, &length));
       ++record) {
    if (std::strncmp(reinterpret_cast<const char*>(state), "08", 2) == 0) return true;
    if (std::strcmp(reinterpret_cast<const char*>(state), "HY000") == 0 &&
        IsLostConnectionNumber(native)) {
      return true;
    }
  }
  // psqlODBC reports the loss inside a transaction as its own failure ("internal SAVEPOINT
  // failed") and marks the connection dead.
  SQLUINTEGER dead = SQL_CD_FALSE;
  return Succeeded(SQLGetConnectAttr(session_->dbc.get(), SQL_ATTR_CONNECTION_DEAD, &dead,
                                     SQL_IS_UINTEGER, nullptr)) &&
         dead == SQL_CD_TRUE;
}

Result<std::unique_ptr<Session>> ConnectAgain(std::string_view connection_string) {
  if (ServerStaysDown()) {
    return Status(ErrorKind::kDatabase, 0, "[08001] the server is not there (injected fault)");
  }
  return OpenSession(connection_string);
}

Result<std::unique_ptr<Session>> ConnectWithin(std::string_view connection_string,
                                               std::chrono::milliseconds wait,
                                               const Status& cause) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::chrono::milliseconds pause{100};
  Status last;
  for (;;) {
    auto session = ConnectAgain(connection_string);
    if (session.ok()) return session;
    last = session.status();
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) break;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(2000));
  }
  return Status(ErrorKind::kStorage, cause.number(),
                "the connection to " + DescribeTarget(connection_string) +
                    " was lost and did not come back within " + Seconds(wait) + " (" +
                    cause.description() + "; last attempt: " + last.description() + ")");
}

bool OdbcConnection::Recover(const Status& cause) {
  if (!gone_.ok()) return false;
  NoteConnectionLost();
  auto session = ConnectWithin(connection_string_,
                               options_.reconnect_wait.value_or(DefaultReconnectWait()), cause);
  if (!session.ok()) {
    gone_ = session.status();
    return false;
  }
  // Statements of the old session are freed as their inserts are prepared again; the session
  // goes with the connection.
  retired_.push_back(std::exchange(session_, std::move(session).value()));
  ++generation_;
  ++counts_.reconnections;
  return true;
}

Status OdbcConnection::EnsurePrepared(PreparedInsert& insert) {
  if (insert.generation == generation_) return Status::Ok();
  SQLHDBC dbc = session_->dbc.get();
  insert.stmt = NewStatement(dbc);
  if (!insert.stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "insert");
  insert.generation = generation_;
  if (!Succeeded(SQLPrepare(insert.stmt.get(), reinterpret_cast<SQLCHAR*>(insert.sql.data()),
                            static_cast<SQLINTEGER>(insert.sql.size())))) {
    insert.generation = generation_ - 1;  // prepared again at the next try
    return Diagnose(SQL_HANDLE_STMT, insert.stmt.get(), "prepare insert into " + insert.table);
  }
  return Status::Ok();
}

OdbcConnection::Ran OdbcConnection::RunQuery(std::string sql, std::string_view action) {
  for (int attempt = 1;; ++attempt) {
    Ran ran;
    SQLHDBC dbc = session_->dbc.get();
    ran.stmt = NewStatement(dbc);
    bool lost = false;
    if (BeforeQuery() == InjectedFault::kLost) {
      ran.status =
          Status(ErrorKind::kDatabase, 0,
                 "[08S01] " + std::string(action) + ": the connection was lost (injected fault)");
      lost = true;
    } else if (!ran.stmt) {
      ran.status = Diagnose(SQL_HANDLE_DBC, dbc, action);
      lost = Lost(SQL_HANDLE_DBC, dbc);
    } else if (const SQLRETURN rc =
                   SQLExecDirect(ran.stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                 static_cast<SQLINTEGER>(sql.size()));
               !Succeeded(rc) && rc != SQL_NO_DATA) {
      ran.status = Diagnose(SQL_HANDLE_STMT, ran.stmt.get(), action);
      lost = Lost(SQL_HANDLE_STMT, ran.stmt.get());
    }
    // A query only reads: it is run once more on the connection made again.
    if (!lost || attempt > 1) return ran;
    ran.stmt.reset();
    if (!Recover(ran.status)) return {Handle(nullptr, {SQL_HANDLE_STMT}), gone_};
  }
}

}  // namespace zuna::sql::odbc
