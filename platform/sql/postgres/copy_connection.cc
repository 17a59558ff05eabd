#include "platform/sql/postgres/copy_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>
#include <utility>

#include "platform/sql/fault_settings.h"
#include "platform/sql/postgres/copy_results.h"
#include "platform/sql/postgres/copy_text.h"

namespace zuna::sql::postgres {

namespace {

constexpr auto kReconnectPause = std::chrono::milliseconds(250);
// Connections lost in a row on the same rows before they are given up.
constexpr int kLostCopiesPerRows = 3;
// What beginning and committing one more COPY costs the server, in rows it could store instead:
// 6 to 17 rows of 80 columns on the test server by the CPU of one-row COPYs, 40 by what the
// sample's import cost the server over several values; more where commits wait for the disk.
constexpr double kCopyCostInRows = 40;
// The shortest COPY after a refusal.
constexpr std::size_t kMinWindow = 8;

}  // namespace

std::string PostgresTarget::Describe() const {
  return "server " + (host.empty() ? std::string("(libpq default)") : host) +
         (port.empty() ? "" : ":" + port) + ", database " +
         (database.empty() ? std::string("(default)") : database) + ", login " +
         (user.empty() ? std::string("(default)") : user);
}

CopyConnection::CopyConnection(std::shared_ptr<Connection> odbc, PostgresTarget target,
                               const CopyOptions& options)
    : odbc_(std::move(odbc)),
      target_(std::move(target)),
      options_(options),
      sender_(options.background_sends) {
  if (options_.faults == nullptr) {
    // Open has read the environment: its faults, when it sets any, count over the process.
    if (auto environment = EnvironmentCopyFaults(); environment.ok() && *environment != nullptr) {
      options_.faults = *environment;
      process_faults_ = true;
    }
  }
  if (options_.faults != nullptr && options_.faults->rows_per_copy > 0) {
    options_.rows_per_batch = options_.faults->rows_per_copy;
    options_.max_batch_bytes = std::size_t{1} << 40;
    options_.max_batch_delay = std::chrono::hours(24);
  } else if (options_.background_sends) {
    // One batch being sent and one being filled hold no more rows than one batch did.
    options_.rows_per_batch /= 2;
    options_.max_batch_bytes = std::max<std::size_t>(options_.max_batch_bytes / 2, 1);
  }
  if (options_.rows_per_batch == 0) options_.rows_per_batch = 1;
}

CopyConnection::~CopyConnection() {
  (void)SendPending();  // a recordset closed properly has taken its refusals before this
  sender_.Wait();
  if (conn_ != nullptr) PQfinish(conn_);
  if (CopyCounts* totals = options_.totals) {
    totals->copies += counts_.copies;
    totals->rows_copied += counts_.rows_copied;
    totals->copies_refused += counts_.copies_refused;
    totals->rows_sent += counts_.rows_sent;
    totals->reconnects += counts_.reconnects;
  }
}

Result<std::shared_ptr<CopyConnection>> CopyConnection::Open(std::shared_ptr<Connection> odbc,
                                                             PostgresTarget target,
                                                             const CopyOptions& options) {
  if (options.faults == nullptr) {
    // A fault the tests asked for and this process cannot read: no run without it.
    const Result<const CopyFaults*> environment = EnvironmentCopyFaults();
    if (!environment.ok()) return environment.status();
  }
  std::shared_ptr<CopyConnection> connection(
      new CopyConnection(std::move(odbc), std::move(target), options));
  RETURN_IF_ERROR(connection->Connect());
  return connection;
}

Status CopyConnection::Connect() {
  if (conn_ != nullptr) PQfinish(conn_);
  // The session reads text dates day first, as the ODBC connection's does.
  const std::pair<const char*, const std::string*> given[] = {
      {"host", &target_.host}, {"port", &target_.port},         {"dbname", &target_.database},
      {"user", &target_.user}, {"password", &target_.password}, {"sslmode", &target_.sslmode}};
  std::vector<const char*> keys;
  std::vector<const char*> values;
  for (const auto& [key, value] : given) {
    if (value->empty()) continue;
    keys.push_back(key);
    values.push_back(value->c_str());
  }
  keys.push_back("options");
  values.push_back("-c DateStyle=ISO,DMY");
  keys.push_back("client_encoding");
  values.push_back("UTF8");
  keys.push_back("application_name");
  values.push_back("zuna-transfer");
  keys.push_back(nullptr);
  values.push_back(nullptr);
  conn_ = PQconnectdbParams(keys.data(), values.data(), 0);
  if (conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK) return Status::Ok();
  return Status(ErrorKind::kDatabase, kErrProvider,
                "[08001] " + OneLine(conn_ ? PQerrorMessage(conn_) : "out of memory"))
      .WithContext("connect through libpq to " + target_.Describe());
}

Status CopyConnection::Execute(std::string_view text) {
  (void)SendPending();  // the command may read or change the table being filled
  return odbc_->Execute(text);
}

Status CopyConnection::ExecuteStatement(std::string_view statement) {
  (void)SendPending();
  return odbc_->ExecuteStatement(statement);
}

Result<std::unique_ptr<Cursor>> CopyConnection::Query(std::string_view text) {
  (void)SendPending();  // a query sees every row saved before it
  return odbc_->Query(text);
}

Result<std::vector<ColumnInfo>> CopyConnection::TableColumns(std::string_view table) {
  (void)SendPending();
  return odbc_->TableColumns(table);
}

Status CopyConnection::Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                              const std::vector<int>& assigned,
                              const std::vector<const Value*>& values, std::uint64_t tag) {
  if (stopping_.load(std::memory_order_acquire)) {
    sender_.Wait();
    return stopped_;
  }
  if (assigned.empty()) {
    // A row of defaults names no column to COPY: the ODBC connection inserts it.
    (void)SendPending();
    if (!stopped_.ok()) return stopped_;
    return odbc_->Insert(table, columns, assigned, values, tag);
  }
  if (!filling_.copy_sql.empty() && (table != filling_.table || assigned != filling_.assigned)) {
    // One batch at a time, so that rows reach the database in the order they were saved.
    HandOver();
  }
  if (filling_.copy_sql.empty()) {
    filling_.table = std::string(table);
    filling_.assigned = assigned;
    filling_.copy_sql = "COPY ";
    AppendQuotedName(table, filling_.copy_sql);
    filling_.copy_sql += " (";
    for (std::size_t i = 0; i < assigned.size(); ++i) {
      if (i > 0) filling_.copy_sql += ", ";
      AppendQuotedName(columns[static_cast<std::size_t>(assigned[i])].name, filling_.copy_sql);
    }
    filling_.copy_sql += ") FROM STDIN";
    filling_.since = std::chrono::steady_clock::now();
  }
  for (std::size_t i = 0; i < assigned.size(); ++i) {
    const auto column = static_cast<std::size_t>(assigned[i]);
    if (i > 0) filling_.data.push_back('\t');
    AppendCopyField(*values[column], columns[column].type.kind, filling_.data);
  }
  filling_.data.push_back('\n');
  filling_.line_ends.push_back(filling_.data.size());
  filling_.tags.push_back(tag);
  if (filling_.tags.size() >= options_.rows_per_batch ||
      filling_.data.size() >= options_.max_batch_bytes ||
      std::chrono::steady_clock::now() - filling_.since >= options_.max_batch_delay) {
    // This row was accepted: if the connection is lost for good while its batch is sent, it is
    // among the late refusals, and an Insert after that stops the import.
    HandOver();
  }
  return Status::Ok();
}

Status CopyConnection::Flush() {
  RETURN_IF_ERROR(SendPending());
  return odbc_->Flush();
}

std::vector<recordset::LateRefusal> CopyConnection::TakeLateRefusals() {
  sender_.Wait();
  std::vector<recordset::LateRefusal> late = std::exchange(late_, {});
  for (recordset::LateRefusal& refusal : odbc_->TakeLateRefusals()) {
    late.push_back(std::move(refusal));
  }
  return late;
}

void CopyConnection::HandOver() {
  sender_.Wait();  // the batch before is sent: its buffers are free
  std::swap(filling_, sending_);
  filling_.Clear();
  sender_.Start([this] { SendBatch(); });
}

Status CopyConnection::SendPending() {
  if (!filling_.copy_sql.empty()) HandOver();
  sender_.Wait();
  return stopped_;
}

void CopyConnection::SendBatch() {
  // Each row of the batch ends saved or among the late refusals: SendRows lists the rows it
  // could not send, and rows filled after the connection was lost for good are lost here.
  if (stopped_.ok()) {
    (void)SendRows(0, sending_.tags.size());
  } else {
    LoseRows(0, sending_.tags.size(), stopped_);
  }
}

std::size_t CopyConnection::Window() const {
  if (last_gap_ == 0) return options_.rows_per_batch;
  // A refused row costs the rows before it in its COPY, sent again: about half a COPY. Rows
  // refused every `gap` rows cost least in COPYs of sqrt(2 * kCopyCostInRows * gap) rows, which
  // grow again as the rows go on without a refusal.
  const auto gap = static_cast<double>(std::max(last_gap_, since_refusal_));
  const auto rows = static_cast<std::size_t>(std::sqrt(2 * kCopyCostInRows * gap));
  return std::min(std::max(rows, kMinWindow), options_.rows_per_batch);
}

void CopyConnection::NoteRefusal(std::size_t gap) {
  last_gap_ = std::max<std::size_t>(gap, 1);
  since_refusal_ = 0;
}

Status CopyConnection::SendRows(std::size_t first, std::size_t count, bool whole) {
  int lost_in_a_row = 0;
  while (count > 0) {
    // After a refusal, COPYs are kept short while refusals come (Window); rows the server has
    // already read without a fault go again in one.
    const std::size_t take = whole ? count : std::min(count, Window());
    CopyResult result = Copy(first, take);
    switch (result.outcome) {
      case Outcome::kSaved:
        ++counts_.copies;
        counts_.rows_copied += take;
        since_refusal_ += take;
        first += take;
        count -= take;
        break;
      case Outcome::kNotStarted:
        LoseRows(first, count, result.status);
        return Status::Ok();
      case Outcome::kRefused: {
        ++counts_.copies_refused;
        if (take == 1) {
          late_.push_back({sending_.tags[first], std::move(result.status)});
          NoteRefusal(since_refusal_ + 1);
          first += 1;
          count -= 1;
          break;
        }
        // The server names the line it refused, with that row's own error: the row is refused,
        // the rows before it go again as one COPY, the rest as the next, so rows reach the
        // table in their order. Without a line, the rows go again in halves.
        if (result.refused_line > 0 && result.refused_line <= take) {
          const std::size_t before = result.refused_line - 1;
          const std::size_t gap = since_refusal_ + result.refused_line;
          if (Status sent = SendRows(first, before, true); !sent.ok()) {
            LoseRows(first + before, count - before, sent);
            return sent;
          }
          late_.push_back({sending_.tags[first + before], std::move(result.status)});
          NoteRefusal(gap);
          first += before + 1;
          count -= before + 1;
          break;
        }
        const std::size_t half = take / 2;
        Status sent = SendRows(first, half);
        if (sent.ok()) sent = SendRows(first + half, take - half);
        if (!sent.ok()) {
          LoseRows(first + take, count - take, sent);
          return sent;
        }
        first += take;
        count -= take;
        break;
      }
      case Outcome::kStorage:
        stopped_ = Status(ErrorKind::kStorage, result.status.number(),
                          "the PostgreSQL target (" + target_.Describe() +
                              ") cannot store rows: " + result.status.description());
        stopping_.store(true, std::memory_order_release);
        LoseRows(first, count, stopped_);
        return stopped_;
      case Outcome::kUnknown: {
        // Sending these rows again could save them twice.
        LoseRows(first, take, result.status);
        if (Status back = Reconnect(result.status); !back.ok()) {
          LoseRows(first + take, count - take, back);
          return back;
        }
        first += take;
        count -= take;
        break;
      }
      case Outcome::kLost:
        if (Status back = Reconnect(result.status); !back.ok()) {
          LoseRows(first, count, back);
          return back;
        }
        if (++lost_in_a_row > kLostCopiesPerRows) {
          // The server ends the session whenever these rows come: they are lost, not the
          // import.
          LoseRows(first, take, result.status);
          first += take;
          count -= take;
          lost_in_a_row = 0;
        }
        break;  // nothing of it was kept: again
    }
  }
  return Status::Ok();
}

CopyConnection::CopyResult CopyConnection::Lost(Outcome outcome, std::string_view why) const {
  return CopyResult{outcome,
                    Status(ErrorKind::kDatabase, kErrProvider,
                           "[08006] " + std::string(why) + ": " + OneLine(PQerrorMessage(conn_)))
                        .WithContext("copy into " + sending_.table)};
}

std::optional<CopyConnection::CopyResult> CopyConnection::StartCopy(std::uint64_t number) {
  const CopyFaults* faults = options_.faults;
  if (faults != nullptr && faults->pause_before_copy == number) {
    PauseWhileFileExists(faults->pause_file);
  }
  if (faults != nullptr && faults->drop_before_copy == number) {
    PQclear(PQexec(conn_, "SELECT pg_terminate_backend(pg_backend_pid())"));
  }
  PGresult* started = PQexec(conn_, sending_.copy_sql.c_str());
  if (PQresultStatus(started) != PGRES_COPY_IN) {
    // What a refusal is put under: it names one row, whatever the batch.
    CopyResult result{Outcome::kNotStarted, Refusal(conn_, started, "copy into " + sending_.table)};
    if (SessionEnded(conn_, started)) result = Lost(Outcome::kLost, "connection lost");
    PQclear(started);
    return result;
  }
  PQclear(started);
  if (faults != nullptr && faults->drop_during_copy == number) {
    // From the other session, waiting until the server process has gone.
    (void)odbc_->Execute("SELECT pg_terminate_backend(" + std::to_string(PQbackendPID(conn_)) +
                         ", 10000)");
  }
  return std::nullopt;
}

bool CopyConnection::PutRows(std::size_t begin, std::size_t end) {
  return begin == end ||
         PQputCopyData(conn_, sending_.data.data() + begin, static_cast<int>(end - begin)) == 1;
}

CopyConnection::CopyResult CopyConnection::EndCopy(std::uint64_t number) {
  if (PQputCopyEnd(conn_, nullptr) != 1) {
    // The end of the COPY did not reach the server: it kept nothing.
    return Lost(Outcome::kLost, "connection lost while sending the rows");
  }
  PGresult* ended = PQgetResult(conn_);
  CopyResult result{Outcome::kSaved, Status::Ok()};
  if (PQresultStatus(ended) != PGRES_COMMAND_OK) {
    const bool server_said = PQresultErrorField(ended, PG_DIAG_SQLSTATE) != nullptr;
    result = {Outcome::kRefused, Refusal(conn_, ended, "copy into " + sending_.table)};
    if (const char* state = PQresultErrorField(ended, PG_DIAG_SQLSTATE);
        state != nullptr &&
        (std::string_view(state).starts_with("53") || std::string_view(state).starts_with("58"))) {
      // Out of disk, memory or an I/O failure of the server: every later batch would fail too.
      result.outcome = Outcome::kStorage;
    }
    if (SessionEnded(conn_, ended)) {
      // An error of the server's own ended the COPY before it was saved; without one, the
      // answer was lost and the COPY may have been saved.
      result = server_said ? Lost(Outcome::kLost, "connection lost")
                           : Lost(Outcome::kUnknown,
                                  "connection lost after the rows were sent; whether the "
                                  "server saved them is unknown, so they are not sent again");
    }
  }
  if (result.outcome == Outcome::kRefused) result.refused_line = RefusedLine(ended, sending_.table);
  PQclear(ended);
  while (PGresult* more = PQgetResult(conn_)) PQclear(more);
  const CopyFaults* faults = options_.faults;
  if (result.outcome == Outcome::kSaved && faults != nullptr &&
      faults->lose_answer_of_copy == number) {
    PQclear(PQexec(conn_, "SELECT pg_terminate_backend(pg_backend_pid())"));
    return Lost(Outcome::kUnknown,
                "connection lost after the rows were sent; whether the server saved them is "
                "unknown, so they are not sent again");
  }
  return result;
}

std::uint64_t CopyConnection::NextCopyNumber() {
  return process_faults_ ? NextProcessCopy() : ++copies_sent_;
}

CopyConnection::CopyResult CopyConnection::Copy(std::size_t first, std::size_t count) {
  const std::uint64_t number = NextCopyNumber();
  if (std::optional<CopyResult> failed = StartCopy(number)) return std::move(*failed);
  // libpq reads no answer of the server's before the end of the COPY: a refused row costs the
  // rows sent after it, which the window of SendRows keeps short.
  const std::size_t begin = first == 0 ? 0 : sending_.line_ends[first - 1];
  counts_.rows_sent += count;
  if (!PutRows(begin, sending_.line_ends[first + count - 1])) {
    return Lost(Outcome::kLost, "connection lost while sending the rows");
  }
  return EndCopy(number);
}

Status CopyConnection::Reconnect(const Status& cause) {
  const auto wait = options_.reconnect_wait.value_or(DefaultReconnectWait());
  const auto deadline = std::chrono::steady_clock::now() + wait;
  const bool gone = options_.faults != nullptr && options_.faults->server_gone;
  while (!gone) {
    PQreset(conn_);
    if (PQstatus(conn_) == CONNECTION_OK) {
      ++counts_.reconnects;
      return Status::Ok();
    }
    if (std::chrono::steady_clock::now() + kReconnectPause > deadline) break;
    std::this_thread::sleep_for(kReconnectPause);
  }
  const auto waited = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
  stopped_ = Status(ErrorKind::kStorage, cause.number(),
                    "the PostgreSQL target (" + target_.Describe() + ") did not come back within " +
                        std::to_string(waited) + (waited == 1 ? " second" : " seconds") +
                        " after the connection was lost: " + cause.description());
  stopping_.store(true, std::memory_order_release);
  return stopped_;
}

void CopyConnection::LoseRows(std::size_t first, std::size_t count, const Status& status) {
  for (std::size_t r = first; r < first + count; ++r) late_.push_back({sending_.tags[r], status});
}

}  // namespace zuna::sql::postgres
