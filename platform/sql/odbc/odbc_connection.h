#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sql/connection.h"
#include "platform/sql/dialect/server_dialect.h"
#include "platform/sql/insert_cache.h"

namespace zuna::sql::odbc {

struct Session;

// What a connection did with its rows, for tests and benchmarks.
struct OdbcSendCounts {
  std::uint64_t arrays = 0;  // parameter arrays committed whole
  std::uint64_t rows_in_arrays = 0;
  std::uint64_t rows_alone = 0;          // rows sent on their own
  std::uint64_t arrays_rolled_back = 0;  // arrays with a refused row
};

// How an ODBC connection sends the import's rows. With `rows_per_batch` above 1, rows go as
// parameter arrays of up to that many rows, sent when full, when they hold `max_batch_bytes`,
// when the first of them waited `max_batch_delay`, and whenever anything else runs on the
// connection: a crash of the program loses at most the rows of one batch. 1 sends every row on
// its own.
struct OdbcOptions {
  std::size_t rows_per_batch = 500;
  std::size_t max_batch_bytes = 8u << 20;
  std::chrono::milliseconds max_batch_delay{1000};
  // Where the connection adds what it sent when it goes, for tests and benchmarks; not kept
  // when null.
  OdbcSendCounts* totals = nullptr;
};

// A connection through unixODBC to any driver: SQL Server through Microsoft's driver or FreeTDS
// in production; PostgreSQL, MariaDB and SQLite's ODBC driver in the tests. On connect it asks
// the driver which server it reaches and speaks that server's dialect (dialect::ServerDialect):
// the tool's texts (queries, recordset statements, the columns of a table, the inserts) are
// translated, scripts (Execute) run as written for the server. Inserts are prepared once per
// table and set of columns, values bound as parameters, each parameter with the C type its
// column's SQL type asks for. The server converts and refuses values itself. Failures carry the
// driver's native error number, with the SQLSTATE and the driver's message (on one line) as
// description.
//
// A refused row must never take others with it, whatever the server's transaction rules. A row
// sent on its own commits on its own (autocommit). A parameter array runs in one transaction,
// committed when the driver's per-row status says every row was saved. When a row was refused,
// the transaction is rolled back; the rows before the first refused one go again as an array,
// that row goes on its own (to be saved or refused with its own error) and the rest as the next
// array. A driver that fills no status array but counts the rows it processed is read by that
// count; one that says neither gets the array's rows sent one by one. Drivers without
// parameter arrays or transactions get every row on its own.
class OdbcConnection final : public Connection {
 public:
  // `connection_string` as SQLDriverConnect takes it: "DSN=pay" or "Driver=...;Database=...".
  static Result<std::shared_ptr<OdbcConnection>> Open(std::string_view connection_string,
                                                      const OdbcOptions& options = {});
  ~OdbcConnection() override;

  // Runs a script as written for the server. A text of several statements that the driver takes
  // only with a connection option (MariaDB's) is run on a connection made again with it.
  Status Execute(std::string_view text) override;
  Status ExecuteStatement(std::string_view statement) override;
  Result<std::unique_ptr<Cursor>> Query(std::string_view text) override;
  Result<std::vector<ColumnInfo>> TableColumns(std::string_view table) override;
  Status Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                const std::vector<int>& assigned, const std::vector<const Value*>& values,
                std::uint64_t tag) override;
  Status Flush() override {
    SendPending();
    return Status::Ok();
  }
  std::vector<recordset::LateRefusal> TakeLateRefusals() override;

  const OdbcSendCounts& send_counts() const { return counts_; }
  const dialect::ServerDialect& dialect() const;

 private:
  struct PreparedInsert;
  OdbcConnection(std::unique_ptr<Session> session, std::string connection_string,
                 const OdbcOptions& options);

  // Connects again with `connection_string`, after sending what is queued: the prepared inserts
  // and what was read of the tables go with the old connection.
  Status Reconnect(std::string connection_string);
  // Makes the connection take texts of several statements, when its driver needs an option for
  // it (MariaDB's OPTION bit), keeping the data source's other options.
  Status AllowSeveralStatements();

  Result<PreparedInsert*> Prepare(std::string_view table, const std::vector<ColumnInfo>& columns,
                                  const std::vector<int>& assigned);
  // Sends the queued rows, as an array where the driver allows it. Every row refused is listed
  // among the late refusals.
  void SendPending();
  struct ArrayResult;
  // Sends rows [first, first + count) of `insert`'s batch; each refused row joins the late
  // refusals. `retries` bounds the arrays rolled back on the way.
  void SendRows(PreparedInsert& insert, std::size_t first, std::size_t count, int& retries);
  // Sends rows [first, first + count) as one array in one transaction.
  ArrayResult SendArray(PreparedInsert& insert, std::size_t first, std::size_t count);
  // Sends one row of `insert`'s batch on its own.
  Status SendRow(PreparedInsert& insert, std::size_t row);
  void SendRowOrRefuse(PreparedInsert& insert, std::size_t row);
  bool UsesArrays();

  std::unique_ptr<Session> session_;
  // Sessions replaced by a new connection: a cursor handed out may still read from one.
  std::vector<std::unique_ptr<Session>> retired_;
  std::string connection_string_;    // holds a password: never put into a message
  bool several_statements_ = false;  // the connection was made to take several in a text
  OdbcOptions options_;
  InsertCache<std::unique_ptr<PreparedInsert>> inserts_;
  std::unordered_map<std::string, std::vector<ColumnInfo>> table_columns_;
  PreparedInsert* pending_ = nullptr;  // the insert whose batch holds queued rows
  std::chrono::steady_clock::time_point pending_since_;
  std::vector<recordset::LateRefusal> late_;
  OdbcSendCounts counts_;
  enum class ArraySupport : std::uint8_t { kUntested, kYes, kNo } arrays_ = ArraySupport::kUntested;
};

}  // namespace zuna::sql::odbc
