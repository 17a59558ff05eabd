// How the connection sends the import's queued rows: as parameter arrays in one transaction each,
// a refused row alone, and the rows of an array lost with the connection again once it is back.
#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <utility>

#include "platform/sql/odbc/array_report.h"
#include "platform/sql/odbc/connection_faults.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/odbc/prepared_insert.h"
#include "platform/sql/odbc/server_session.h"

namespace zuna::sql::odbc {

// What became of an array.
struct OdbcConnection::ArrayResult {
  enum class Outcome : std::uint8_t {
    kCommitted,
    kRolledBack,  // nothing of it kept
    kNotTaken,    // the driver takes no arrays: nothing was sent
    kUnknown,     // the transaction could not be ended: what it kept is unknown
    kLost,        // the connection went before the commit: the server kept nothing of it
  } outcome;
  // After a rollback, the first row that may have been refused (all rows before it were saved
  // before the rollback), when the driver said.
  std::optional<std::size_t> first_refused;
  Status status;
};

namespace {

// Arrays of one batch that may be rolled back before its remaining rows go one by one: a refused
// row costs at most two, so this is many refusals, or a driver whose arrays fail for reasons of
// their own.
constexpr int kRolledBackArraysPerBatch = 8;

// Connections lost while one batch is sent before its remaining rows are given up: a server that
// comes back and goes again at every array of it (a row that brings it down) must not hold the
// import forever.
constexpr int kLossesPerBatch = 3;

Status InjectedLoss(std::string_view what) {
  return Status(ErrorKind::kDatabase, 0,
                "[08S01] the connection was lost at " + std::string(what) + " (injected fault)");
}

}  // namespace

void OdbcConnection::SendPending() {
  PreparedInsert* insert = std::exchange(pending_, nullptr);
  if (insert == nullptr) return;
  int retries = kRolledBackArraysPerBatch;
  SendRows(*insert, 0, insert->batch.rows(), retries);
  insert->batch.Clear();
}

void OdbcConnection::LoseRows(const PreparedInsert& insert, std::size_t first, std::size_t count,
                              const Status& status) {
  for (std::size_t r = first; r < first + count; ++r) {
    late_.push_back({insert.batch.tag(r), status});
  }
}

void OdbcConnection::SendRows(PreparedInsert& insert, std::size_t first, std::size_t count,
                              int& retries) {
  int losses = 0;
  while (count > 0) {
    if (!gone_.ok()) return LoseRows(insert, first, count, gone_);
    if (Status prepared = EnsurePrepared(insert); !prepared.ok()) {
      return LoseRows(insert, first, count, prepared);
    }
    if (count == 1 || arrays_ != ArraySupport::kYes || retries <= 0) {
      SendRowOrRefuse(insert, first);
      ++first;
      --count;
      continue;
    }
    ArrayResult result = SendArray(insert, first, count);
    switch (result.outcome) {
      case ArrayResult::Outcome::kCommitted:
        ++counts_.arrays;
        counts_.rows_in_arrays += count;
        return;
      case ArrayResult::Outcome::kUnknown:
        // Sending these rows again could save them twice: they are reported lost.
        return LoseRows(insert, first, count, result.status);
      case ArrayResult::Outcome::kLost:
        if (++losses > kLossesPerBatch) {
          return LoseRows(insert, first, count,
                          result.status.WithContext("the connection was lost " +
                                                    std::to_string(kLossesPerBatch + 1) +
                                                    " times while these rows were sent"));
        }
        // The same rows again, on the connection made again (or lost with the server).
        if (!Recover(result.status)) return LoseRows(insert, first, count, gone_);
        continue;
      case ArrayResult::Outcome::kNotTaken:
        continue;  // one by one from here on
      case ArrayResult::Outcome::kRolledBack:
        ++counts_.arrays_rolled_back;
        --retries;
        if (!result.first_refused) {
          retries = 0;  // the driver says nothing of its rows: one by one
          continue;
        }
        const std::size_t saved_before = *result.first_refused;
        SendRows(insert, first, saved_before, retries);
        SendRowOrRefuse(insert, first + saved_before);
        first += saved_before + 1;
        count -= saved_before + 1;
        break;
    }
  }
}

OdbcConnection::ArrayResult OdbcConnection::SendArray(PreparedInsert& insert, std::size_t first,
                                                      std::size_t count) {
  SQLHDBC dbc = session_->dbc.get();
  SQLHSTMT stmt = insert.stmt.get();
  const auto set_size = [&](std::size_t size) {
    return SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(size), 0);
  };
  const auto autocommit_on = [&] {
    SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                      SQL_IS_UINTEGER);
  };
  // A driver that cannot take the whole array says so here (an error, or "option value
  // changed"): its rows go one by one from now on. A connection found lost here sent nothing.
  if (set_size(count) != SQL_SUCCESS) {
    arrays_ = ArraySupport::kNo;
    set_size(1);
    return {ArrayResult::Outcome::kNotTaken, std::nullopt, Status::Ok()};
  }
  if (!Succeeded(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                   SQL_IS_UINTEGER))) {
    set_size(1);
    if (Lost(SQL_HANDLE_DBC, dbc)) {
      return {ArrayResult::Outcome::kLost, std::nullopt,
              Diagnose(SQL_HANDLE_DBC, dbc, "begin an array into " + insert.table)};
    }
    arrays_ = ArraySupport::kNo;
    return {ArrayResult::Outcome::kNotTaken, std::nullopt, Status::Ok()};
  }
  if (BeforeExecute() == InjectedFault::kLost) {
    set_size(1);
    SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    autocommit_on();
    return {ArrayResult::Outcome::kLost, std::nullopt,
            InjectedLoss("an array of " + std::to_string(count) + " rows into " + insert.table)};
  }
  insert.statuses.assign(count, kStatusNotReported);
  SQLULEN processed = kCountNotReported;
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, insert.statuses.data(), 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  bool executed = Succeeded(insert.batch.Bind(stmt, first));
  std::optional<Status> lost;
  if (executed) {
    executed = Succeeded(SQLExecute(stmt));
    if (!executed && Lost(SQL_HANDLE_STMT, stmt)) {
      lost = Diagnose(SQL_HANDLE_STMT, stmt,
                      "insert an array of " + std::to_string(count) + " rows into " + insert.table);
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
  }
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
  set_size(1);
  if (lost) {
    // No commit was sent: the server ends the transaction of a connection that went.
    SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    autocommit_on();
    return {ArrayResult::Outcome::kLost, std::nullopt, std::move(*lost)};
  }

  const ArrayReport report = ReadArrayReport(insert.statuses, processed, executed);
  const bool saved = report.all_saved;
  ArrayResult result{saved ? ArrayResult::Outcome::kCommitted : ArrayResult::Outcome::kRolledBack,
                     report.first_refused, Status::Ok()};
  const std::string action = std::string(saved ? "commit" : "roll back") + " an array of " +
                             std::to_string(count) + " rows into " + insert.table;
  const bool ended = Succeeded(SQLEndTran(SQL_HANDLE_DBC, dbc, saved ? SQL_COMMIT : SQL_ROLLBACK));
  if (!ended && !saved && Lost(SQL_HANDLE_DBC, dbc)) {
    // A rollback that did not arrive: the server took the transaction back itself.
    result = {ArrayResult::Outcome::kLost, std::nullopt, Diagnose(SQL_HANDLE_DBC, dbc, action)};
  } else if (!ended) {
    result.outcome = ArrayResult::Outcome::kUnknown;
    result.status = Diagnose(SQL_HANDLE_DBC, dbc, action);
  } else if (saved) {
    // A commit that says it succeeded on a connection found dead cannot be believed: psqlODBC
    // answers a commit on a lost connection with success.
    if (AfterCommit() == InjectedFault::kLost) {
      result.outcome = ArrayResult::Outcome::kUnknown;
      result.status = InjectedLoss(action);
    } else if (Lost(SQL_HANDLE_DBC, dbc)) {
      result.outcome = ArrayResult::Outcome::kUnknown;
      result.status = Status(ErrorKind::kDatabase, 0,
                             "[08S01] " + action + ": the connection was found lost after it");
    }
  }
  if (result.outcome == ArrayResult::Outcome::kUnknown && saved) {
    result.status = result.status.WithContext(
        "the commit failed or got no answer: whether the server saved the row is unknown");
  }
  autocommit_on();
  return result;
}

void OdbcConnection::SendRowOrRefuse(PreparedInsert& insert, std::size_t row) {
  if (Status saved = SendRow(insert, row); !saved.ok()) {
    late_.push_back({insert.batch.tag(row), std::move(saved)});
  }
}

Status OdbcConnection::SendRow(PreparedInsert& insert, std::size_t row) {
  if (!gone_.ok()) return gone_;
  RETURN_IF_ERROR(EnsurePrepared(insert));
  SQLHSTMT stmt = insert.stmt.get();
  ++counts_.rows_alone;
  if (!Succeeded(insert.batch.Bind(stmt, row))) {
    return Diagnose(SQL_HANDLE_STMT, stmt, "bind " + insert.table);
  }
  const std::string action = "insert into " + insert.table;
  Status result;
  if (BeforeExecute() == InjectedFault::kLost) {
    result = InjectedLoss(action);
  } else if (const SQLRETURN rc = SQLExecute(stmt); !Succeeded(rc) && rc != SQL_NO_DATA) {
    result = Diagnose(SQL_HANDLE_STMT, stmt, action);
    if (!Lost(SQL_HANDLE_STMT, stmt)) {
      SQLFreeStmt(stmt, SQL_CLOSE);
      return result;
    }
  }
  SQLFreeStmt(stmt, SQL_CLOSE);
  if (result.ok()) return result;
  // A row sent on its own commits itself: the server may have saved it before the connection
  // went. It is not sent again; the rows after it go on the connection made again.
  if (!Recover(result)) return gone_;
  return result.WithContext(
      "the connection was lost while the row was sent, whether the server saved it is unknown");
}

}  // namespace zuna::sql::odbc
