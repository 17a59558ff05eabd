#include "platform/sql/odbc/odbc_connection.h"

#include <sql.h>
#include <sqlext.h>

#include <charconv>
#include <optional>
#include <utility>

#include "platform/sql/fault_settings.h"
#include "platform/sql/odbc/connection_attributes.h"
#include "platform/sql/odbc/connection_faults.h"
#include "platform/sql/odbc/data_source_info.h"
#include "platform/sql/odbc/odbc_cursor.h"
#include "platform/sql/odbc/odbc_handles.h"
#include "platform/sql/odbc/prepared_insert.h"
#include "platform/sql/odbc/server_session.h"
#include "platform/text/ascii.h"

namespace zuna::sql::odbc {

OdbcConnection::OdbcConnection(std::unique_ptr<Session> session, std::string connection_string,
                               const OdbcOptions& options)
    : session_(std::move(session)),
      connection_string_(std::move(connection_string)),
      options_(options) {
  if (options_.rows_per_batch <= 1) arrays_ = ArraySupport::kNo;
}

OdbcConnection::~OdbcConnection() {
  SendPending();     // a recordset closed properly has taken its refusals before this
  inserts_.Clear();  // statements go before their connection
  if (OdbcSendCounts* totals = options_.totals) {
    totals->arrays += counts_.arrays;
    totals->rows_in_arrays += counts_.rows_in_arrays;
    totals->rows_alone += counts_.rows_alone;
    totals->arrays_rolled_back += counts_.arrays_rolled_back;
    totals->reconnections += counts_.reconnections;
  }
}

Result<std::shared_ptr<OdbcConnection>> OdbcConnection::Open(std::string_view connection_string,
                                                             const OdbcOptions& options) {
  const bool reached = ConnectedBefore(connection_string);
  auto session = reached ? ConnectAgain(connection_string) : OpenSession(connection_string);
  if (!session.ok() && reached) {
    // Reached before in this run (an import opens a connection per table): the server was lost
    // between two connections, and is waited for as a connection lost under the tool.
    NoteConnectionLost();
    session =
        ConnectWithin(connection_string, options.reconnect_wait.value_or(DefaultReconnectWait()),
                      session.status());
  }
  if (!session.ok()) return session.status();
  NoteConnected(connection_string);
  return std::shared_ptr<OdbcConnection>(
      new OdbcConnection(std::move(session).value(), std::string(connection_string), options));
}

const dialect::ServerDialect& OdbcConnection::dialect() const { return session_->dialect; }

Status OdbcConnection::Reconnect(std::string connection_string) {
  SendPending();
  pending_ = nullptr;
  inserts_.Clear();
  table_columns_.clear();
  ASSIGN_OR_RETURN(std::unique_ptr<Session> session, OpenSession(connection_string));
  retired_.push_back(std::exchange(session_, std::move(session)));
  connection_string_ = std::move(connection_string);
  return Status::Ok();
}

Status OdbcConnection::AllowSeveralStatements() {
  const std::uint32_t bit = dialect().several_statements_option();
  if (bit == 0 || several_statements_) return Status::Ok();
  // The driver reads OPTION as one number: the data source's own bits are kept.
  std::vector<ConnectionAttribute> attributes = ParseConnectionString(connection_string_);
  std::string given = FindAttribute(attributes, "OPTION")
                          .value_or(FindAttribute(attributes, "OPTIONS").value_or(""));
  if (given.empty()) {
    if (auto dsn = FindAttribute(attributes, "DSN")) {
      given = DataSourceSetting(*dsn, "OPTION");
      if (given.empty()) given = DataSourceSetting(*dsn, "OPTIONS");
    }
  }
  std::uint64_t options = 0;
  if (!given.empty()) {
    const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), options);
    if (error != std::errc() || end != given.data() + given.size()) {
      return Status(ErrorKind::kInvalidArgument, 0,
                    "the data source's OPTION \"" + given + "\" is not a number");
    }
  }
  std::erase_if(attributes, [](const ConnectionAttribute& attribute) {
    return text::EqualsIgnoringCase(attribute.key, "OPTION") ||
           text::EqualsIgnoringCase(attribute.key, "OPTIONS");
  });
  attributes.push_back({"OPTION", std::to_string(options | bit)});
  RETURN_IF_ERROR(Reconnect(FormatConnectionString(attributes))
                      .WithContext("connect again to take several statements in one text"));
  several_statements_ = true;
  return Status::Ok();
}

Status OdbcConnection::Execute(std::string_view text) {
  SendPending();  // the command may read or change the table being filled
  if (!gone_.ok()) return gone_;
  table_columns_.clear();
  if (dialect().several_statements_option() != 0 && !several_statements_ &&
      dialect().HoldsSeveralStatements(text)) {
    RETURN_IF_ERROR(AllowSeveralStatements());
  }
  SQLHDBC dbc = session_->dbc.get();
  Handle stmt = NewStatement(dbc);
  if (!stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "execute");
  std::string sql(text);
  SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                               static_cast<SQLINTEGER>(sql.size()));
  // Later statements of the text report their failures as further results.
  while (Succeeded(rc)) rc = SQLMoreResults(stmt.get());
  if (rc == SQL_NO_DATA) return Status::Ok();
  Status failed = Diagnose(SQL_HANDLE_STMT, stmt.get(), "execute");
  if (!Lost(SQL_HANDLE_STMT, stmt.get())) return failed;
  // A text is not run again: what it did before the connection went cannot be known. The
  // connection is made again for the commands after it.
  stmt.reset();
  if (!Recover(failed)) return gone_;
  return failed.WithContext("the connection was lost while the text ran, and made again");
}

Status OdbcConnection::ExecuteStatement(std::string_view statement) {
  return Execute(dialect().Translate(statement));
}

Result<std::unique_ptr<Cursor>> OdbcConnection::Query(std::string_view text) {
  SendPending();  // a query sees every row saved before it
  if (!gone_.ok()) return gone_;
  Ran ran = RunQuery(dialect().Translate(text), "query");
  if (!ran.status.ok()) return ran.status;
  return OpenCursor(std::move(ran.stmt));
}

Result<std::vector<ColumnInfo>> OdbcConnection::TableColumns(std::string_view table) {
  const std::string key = text::LowerAscii(table);
  if (auto it = table_columns_.find(key); it != table_columns_.end()) return it->second;
  // Describing an empty result gives the columns in table order on every driver.
  SendPending();
  if (!gone_.ok()) return gone_;
  Ran ran = RunQuery(dialect().EmptySelect(table), "columns of " + std::string(table));
  if (!ran.status.ok()) return ran.status;
  std::vector<ColumnInfo> columns = OpenCursor(std::move(ran.stmt))->columns();
  table_columns_[key] = columns;
  return columns;
}

Result<OdbcConnection::PreparedInsert*> OdbcConnection::Prepare(
    std::string_view table, const std::vector<ColumnInfo>& columns,
    const std::vector<int>& assigned) {
  if (PreparedInsert* found = inserts_.Find(table, assigned)) return found;
  // Each parameter takes its values as its column's type asks, so arrays stay whole.
  std::vector<std::string_view> names;
  std::vector<ColumnType::Kind> types;
  for (const int index : assigned) {
    const ColumnInfo& column = columns[static_cast<std::size_t>(index)];
    names.push_back(column.name);
    types.push_back(column.type.kind);
  }
  auto prepared = std::make_unique<PreparedInsert>(std::move(types));
  prepared->table = std::string(table);
  SQLHDBC dbc = session_->dbc.get();
  prepared->stmt = NewStatement(dbc);
  if (!prepared->stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "insert");
  prepared->sql = dialect().InsertText(table, names);
  prepared->generation = generation_;
  if (!Succeeded(SQLPrepare(prepared->stmt.get(), reinterpret_cast<SQLCHAR*>(prepared->sql.data()),
                            static_cast<SQLINTEGER>(prepared->sql.size())))) {
    return Diagnose(SQL_HANDLE_STMT, prepared->stmt.get(),
                    "prepare insert into " + std::string(table));
  }
  return inserts_.Add(table, assigned, std::move(prepared));
}

Status OdbcConnection::Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                              const std::vector<int>& assigned,
                              const std::vector<const Value*>& values, std::uint64_t tag) {
  // Once the server is gone, each row fails at once with the one reason.
  const auto gone = [this] {
    gone_told_ = true;
    return gone_;
  };
  if (!gone_.ok()) return gone();
  ASSIGN_OR_RETURN(PreparedInsert * insert, Prepare(table, columns, assigned));
  // One batch at a time, so that rows reach the database in the order they were saved.
  if (pending_ != nullptr && pending_ != insert) SendPending();
  if (!insert->batch.Add(assigned, values, tag)) {
    SendPending();                                   // a value of another type than its column's
    (void)insert->batch.Add(assigned, values, tag);  // so far: an empty batch takes any row
  }
  if (!gone_.ok()) {
    insert->batch.Clear();
    return gone();
  }
  if (!UsesArrays()) {
    Status saved = SendRow(*insert, 0);
    insert->batch.Clear();
    return gone_.ok() ? saved : gone();
  }
  const auto now = std::chrono::steady_clock::now();
  if (pending_ == nullptr) {
    pending_ = insert;
    pending_since_ = now;
  }
  const ParameterBatch& batch = insert->batch;
  if (batch.rows() >= options_.rows_per_batch || batch.bytes() >= options_.max_batch_bytes ||
      now - pending_since_ >= options_.max_batch_delay) {
    SendPending();
    if (!gone_.ok()) {
      // This row is refused here, the others of its batch late.
      if (!late_.empty() && late_.back().tag == tag) late_.pop_back();
      return gone();
    }
  }
  return Status::Ok();
}

Status OdbcConnection::Flush() {
  SendPending();
  if (gone_.ok() || gone_told_) return Status::Ok();
  gone_told_ = true;
  return gone_;
}

bool OdbcConnection::UsesArrays() {
  if (arrays_ == ArraySupport::kUntested) {
    // Arrays need a transaction to take back a batch with a refused row. Whether the driver
    // takes arrays at all shows when the first one is sent.
    SQLUSMALLINT transactions = SQL_TC_NONE;
    const SQLRETURN rc = SQLGetInfo(session_->dbc.get(), SQL_TXN_CAPABLE, &transactions,
                                    sizeof transactions, nullptr);
    arrays_ = Succeeded(rc) && transactions != SQL_TC_NONE ? ArraySupport::kYes : ArraySupport::kNo;
  }
  return arrays_ == ArraySupport::kYes;
}

std::vector<recordset::LateRefusal> OdbcConnection::TakeLateRefusals() {
  return std::exchange(late_, {});
}

}  // namespace zuna::sql::odbc
