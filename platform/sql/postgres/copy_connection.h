#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sql/connection.h"
#include "platform/sql/postgres/copy_batch.h"
#include "platform/sql/postgres/copy_faults.h"
#include "platform/sql/postgres/copy_sender.h"

struct pg_conn;
struct pg_result;

namespace zuna::sql::postgres {

// Where libpq finds the server: the same server, database and login as the ODBC data source
// (psqlODBC's Servername, Port, Database, Username, Password, SSLmode). Empty fields are left to
// libpq's defaults.
struct PostgresTarget {
  std::string host;  // a host name, or the folder of the server's unix socket
  std::string port;
  std::string database;
  std::string user;
  std::string password;  // never put into a message
  std::string sslmode;
  // "server /run/pg:5432, database zuna, login zuna", for messages.
  std::string Describe() const;
};

// What the COPY path did with its rows, for tests and benchmarks.
struct CopyCounts {
  std::uint64_t copies = 0;  // COPY commands that saved their rows
  std::uint64_t rows_copied = 0;
  std::uint64_t copies_refused = 0;  // COPY commands the server refused (a batch then halved)
  std::uint64_t rows_sent = 0;       // rows put into COPYs, refused ones and rows sent again too
  std::uint64_t reconnects = 0;
};

struct CopyOptions {
  std::size_t rows_per_batch = 10'000;
  std::size_t max_batch_bytes = 8u << 20;
  std::chrono::milliseconds max_batch_delay{1000};
  // How long a lost connection is tried again before the import stops; unset,
  // DefaultReconnectWait() (platform/sql/fault_settings.h), as on the ODBC path.
  std::optional<std::chrono::milliseconds> reconnect_wait;
  CopyCounts* totals = nullptr;  // adds what was sent when the connection goes; may be null
  // The faults of a test; unset, those of the environment (ZUNA_COPY_FAULTS), if any.
  const CopyFaults* faults = nullptr;
  // A full batch is sent on a thread of its own while the next is converted; each batch then
  // takes half of rows_per_batch and max_batch_bytes, so that no more rows are handed over and
  // not yet committed than without it. Off, each batch is sent before the next row is taken.
  bool background_sends = true;
};

// A PostgreSQL target whose import rows go through libpq as COPY ... FROM STDIN in batches, while
// everything else (scripts, queries, table columns, a row of defaults) goes through `odbc`, the
// ODBC connection to the same database. Rows are encoded as the ODBC path binds them
// (AppendCopyField), so the server stores the same values and refuses the same ones.
//
// A COPY is one transaction: a refused batch keeps nothing. When the server names the line it
// refused, that row is refused with it and the rows before it go again as one COPY; otherwise
// the batch goes again in halves. After a refusal, COPYs are kept short, the shorter the closer
// refusals come (each costs the rows before it in its COPY; each COPY about 40 rows), and
// grow again as rows go on without one, so a table with many refusals sends few rows twice. Either
// way down to the single row, whose refusal (the server's SQLSTATE and message) joins the late
// refusals under the row's tag. A lost connection (the server restarted) is made again, trying for
// `reconnect_wait`: a batch the server cannot have saved (lost before its end was sent, or ended
// with the server's own error) is sent again; a batch whose answer was lost after its end was sent
// may be saved or not, so its rows are reported lost with that reason, never sent twice. When the
// server does not come back, every queued row is reported lost and every later Insert and Flush
// fails with an ErrorKind::kStorage status naming the target, which stops the import.
//
// With `background_sends`, a full batch goes to a sending thread (CopySender) and the next is
// filled meanwhile; one batch at most is in flight, so rows reach the table in their order and
// the refusals are listed in it. Everything that reads or changes the database through `odbc`
// waits for the batch in flight first.
class CopyConnection final : public Connection {
 public:
  static Result<std::shared_ptr<CopyConnection>> Open(std::shared_ptr<Connection> odbc,
                                                      PostgresTarget target,
                                                      const CopyOptions& options = {});
  ~CopyConnection() override;

  Status Execute(std::string_view text) override;
  Status ExecuteStatement(std::string_view statement) override;
  Result<std::unique_ptr<Cursor>> Query(std::string_view text) override;
  Result<std::vector<ColumnInfo>> TableColumns(std::string_view table) override;
  Status Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                const std::vector<int>& assigned, const std::vector<const Value*>& values,
                std::uint64_t tag) override;
  Status Flush() override;
  std::vector<recordset::LateRefusal> TakeLateRefusals() override;

  // What was sent, once Flush has returned.
  const CopyCounts& counts() const { return counts_; }

 private:
  enum class Outcome : std::uint8_t {
    kSaved,
    kRefused,     // the server refused a row of it: nothing kept
    kNotStarted,  // the server refused the COPY itself (no such table or column)
    kLost,        // the connection went, nothing kept: send it again
    kUnknown,     // the connection went after the batch's end was sent
    kStorage,     // the server is out of room or failing (SQLSTATE class 53, 58)
  };
  struct CopyResult {
    Outcome outcome;
    Status status;
    std::size_t refused_line = 0;  // the line of the batch the server refused (1 is the first)
  };

  CopyConnection(std::shared_ptr<Connection> odbc, PostgresTarget target,
                 const CopyOptions& options);
  Status Connect();
  // Hands the filled batch to the sender, which sends it now or on its thread.
  void HandOver();
  // Sends the queued rows and waits until every row handed over has been sent; a failure is the
  // connection lost for good (also kept in stopped_).
  Status SendPending();
  // On the sender: sends the batch handed over (the rows are lost when the connection is).
  void SendBatch();
  // Sends rows [first, first + count) of the batch. On return each of them is saved or among the
  // late refusals; a failure is the connection lost for good. `whole`: in one COPY, not cut to
  // the Window.
  Status SendRows(std::size_t first, std::size_t count, bool whole = false);
  // The most rows one COPY takes: the batch, and after a refusal fewer, as many as make refused
  // rows cheapest at the rate they come.
  std::size_t Window() const;
  // A refused row `gap` rows after the one refused before it.
  void NoteRefusal(std::size_t gap);
  CopyResult Copy(std::size_t first, std::size_t count);
  std::uint64_t NextCopyNumber();
  // Begins COPY number `number` (with the faults the tests set for it); its failure, if any.
  std::optional<CopyResult> StartCopy(std::uint64_t number);
  // Puts bytes [begin, end) of data_ into the open COPY; false when the connection went.
  bool PutRows(std::size_t begin, std::size_t end);
  CopyResult EndCopy(std::uint64_t number);
  CopyResult Lost(Outcome outcome, std::string_view why) const;
  // Connects again within reconnect_wait; the kStorage failure that stops the import otherwise.
  Status Reconnect(const Status& cause);
  void LoseRows(std::size_t first, std::size_t count, const Status& status);

  std::shared_ptr<Connection> odbc_;
  PostgresTarget target_;
  CopyOptions options_;
  pg_conn* conn_ = nullptr;

  CopyBatch filling_;  // the caller's
  // The sender's, from here on: the batch being sent and what sending changes. The caller reads
  // them only after CopySender::Wait.
  CopyBatch sending_;
  std::vector<recordset::LateRefusal> late_;
  Status stopped_;                     // the connection lost for good
  std::atomic<bool> stopping_{false};  // set once stopped_ is, for the caller's Insert
  CopyCounts counts_;
  std::uint64_t copies_sent_ = 0;  // COPY commands begun, for the fault seam
  bool process_faults_ = false;    // the environment's faults, counted over the process
  // Rows from the last refused row to the one before it (0: none refused yet), and rows saved
  // since the last: what the length of a COPY after a refusal is made from.
  std::size_t last_gap_ = 0;
  std::size_t since_refusal_ = 0;

  CopySender sender_;  // last: its thread ends before the members it uses
};

}  // namespace zuna::sql::postgres
