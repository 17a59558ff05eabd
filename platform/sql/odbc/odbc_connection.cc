#include "platform/sql/odbc/odbc_connection.h"

#include <sql.h>
#include <sqlext.h>

#include <charconv>
#include <optional>
#include <utility>

#include "platform/sql/odbc/array_report.h"
#include "platform/sql/odbc/connection_attributes.h"
#include "platform/sql/odbc/data_source_info.h"
#include "platform/sql/odbc/odbc_cursor.h"
#include "platform/sql/odbc/odbc_handles.h"
#include "platform/sql/odbc/parameter_batch.h"
#include "platform/sql/odbc/server_session.h"
#include "platform/text/ascii.h"

namespace zuna::sql::odbc {

// A prepared insert with the rows waiting to be sent through it.
struct OdbcConnection::PreparedInsert {
  explicit PreparedInsert(std::vector<ColumnType::Kind> columns) : batch(std::move(columns)) {}
  Handle stmt{nullptr, {SQL_HANDLE_STMT}};
  std::string table;
  ParameterBatch batch;
  std::vector<SQLUSMALLINT> statuses;  // the driver's status of each row of an array
};

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
  }
}

Result<std::shared_ptr<OdbcConnection>> OdbcConnection::Open(std::string_view connection_string,
                                                             const OdbcOptions& options) {
  ASSIGN_OR_RETURN(std::unique_ptr<Session> session, OpenSession(connection_string));
  return std::shared_ptr<OdbcConnection>(
      new OdbcConnection(std::move(session), std::string(connection_string), options));
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
  if (rc == SQL_NO_DATA) return Status::Ok();
  if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, stmt.get(), "execute");
  // Later statements of the text report their failures as further results.
  while ((rc = SQLMoreResults(stmt.get())) != SQL_NO_DATA) {
    if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, stmt.get(), "execute");
  }
  return Status::Ok();
}

Status OdbcConnection::ExecuteStatement(std::string_view statement) {
  return Execute(dialect().Translate(statement));
}

Result<std::unique_ptr<Cursor>> OdbcConnection::Query(std::string_view text) {
  SendPending();  // a query sees every row saved before it
  SQLHDBC dbc = session_->dbc.get();
  Handle stmt = NewStatement(dbc);
  if (!stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "query");
  std::string sql = dialect().Translate(text);
  const SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                     static_cast<SQLINTEGER>(sql.size()));
  if (!Succeeded(rc) && rc != SQL_NO_DATA) return Diagnose(SQL_HANDLE_STMT, stmt.get(), "query");
  return OpenCursor(std::move(stmt));
}

Result<std::vector<ColumnInfo>> OdbcConnection::TableColumns(std::string_view table) {
  const std::string key = text::LowerAscii(table);
  if (auto it = table_columns_.find(key); it != table_columns_.end()) return it->second;
  // Describing an empty result gives the columns in table order on every driver.
  SendPending();
  SQLHDBC dbc = session_->dbc.get();
  Handle stmt = NewStatement(dbc);
  if (!stmt) return Diagnose(SQL_HANDLE_DBC, dbc, "query");
  std::string sql = dialect().EmptySelect(table);
  const SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                     static_cast<SQLINTEGER>(sql.size()));
  if (!Succeeded(rc) && rc != SQL_NO_DATA) {
    return Diagnose(SQL_HANDLE_STMT, stmt.get(), "columns of " + std::string(table));
  }
  std::vector<ColumnInfo> columns = OpenCursor(std::move(stmt))->columns();
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
  std::string sql = dialect().InsertText(table, names);
  if (!Succeeded(SQLPrepare(prepared->stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                            static_cast<SQLINTEGER>(sql.size())))) {
    return Diagnose(SQL_HANDLE_STMT, prepared->stmt.get(),
                    "prepare insert into " + std::string(table));
  }
  return inserts_.Add(table, assigned, std::move(prepared));
}

Status OdbcConnection::Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                              const std::vector<int>& assigned,
                              const std::vector<const Value*>& values, std::uint64_t tag) {
  ASSIGN_OR_RETURN(PreparedInsert * insert, Prepare(table, columns, assigned));
  // One batch at a time, so that rows reach the database in the order they were saved.
  if (pending_ != nullptr && pending_ != insert) SendPending();
  if (!insert->batch.Add(assigned, values, tag)) {
    SendPending();                                   // a value of another type than its column's
    (void)insert->batch.Add(assigned, values, tag);  // so far: an empty batch takes any row
  }
  if (!UsesArrays()) {
    Status saved = SendRow(*insert, 0);
    insert->batch.Clear();
    return saved;
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
  }
  return Status::Ok();
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

// What became of an array.
struct OdbcConnection::ArrayResult {
  enum class Outcome : std::uint8_t {
    kCommitted,
    kRolledBack,  // nothing of it kept
    kNotTaken,    // the driver takes no arrays: nothing was sent
    kUnknown,     // the transaction could not be ended: what it kept is unknown
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

}  // namespace

void OdbcConnection::SendPending() {
  PreparedInsert* insert = std::exchange(pending_, nullptr);
  if (insert == nullptr) return;
  int retries = kRolledBackArraysPerBatch;
  SendRows(*insert, 0, insert->batch.rows(), retries);
  insert->batch.Clear();
}

void OdbcConnection::SendRows(PreparedInsert& insert, std::size_t first, std::size_t count,
                              int& retries) {
  while (count > 0) {
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
        for (std::size_t r = first; r < first + count; ++r) {
          late_.push_back({insert.batch.tag(r), result.status});
        }
        return;
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
  // A driver that cannot take the whole array says so here (an error, or "option value
  // changed"): its rows go one by one from now on.
  if (set_size(count) != SQL_SUCCESS ||
      !Succeeded(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                   SQL_IS_UINTEGER))) {
    arrays_ = ArraySupport::kNo;
    set_size(1);
    return {ArrayResult::Outcome::kNotTaken, std::nullopt, Status::Ok()};
  }
  insert.statuses.assign(count, kStatusNotReported);
  SQLULEN processed = kCountNotReported;
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, insert.statuses.data(), 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  bool executed = Succeeded(insert.batch.Bind(stmt, first));
  if (executed) {
    executed = Succeeded(SQLExecute(stmt));
    SQLFreeStmt(stmt, SQL_CLOSE);
  }
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
  set_size(1);

  const ArrayReport report = ReadArrayReport(insert.statuses, processed, executed);
  const bool saved = report.all_saved;
  ArrayResult result{saved ? ArrayResult::Outcome::kCommitted : ArrayResult::Outcome::kRolledBack,
                     report.first_refused, Status::Ok()};
  if (!Succeeded(SQLEndTran(SQL_HANDLE_DBC, dbc, saved ? SQL_COMMIT : SQL_ROLLBACK))) {
    result.outcome = ArrayResult::Outcome::kUnknown;
    result.status = Diagnose(SQL_HANDLE_DBC, dbc,
                             std::string(saved ? "commit" : "roll back") + " an array of " +
                                 std::to_string(count) + " rows into " + insert.table);
  }
  SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                    SQL_IS_UINTEGER);
  return result;
}

void OdbcConnection::SendRowOrRefuse(PreparedInsert& insert, std::size_t row) {
  if (Status saved = SendRow(insert, row); !saved.ok()) {
    late_.push_back({insert.batch.tag(row), std::move(saved)});
  }
}

Status OdbcConnection::SendRow(PreparedInsert& insert, std::size_t row) {
  SQLHSTMT stmt = insert.stmt.get();
  ++counts_.rows_alone;
  if (!Succeeded(insert.batch.Bind(stmt, row))) {
    return Diagnose(SQL_HANDLE_STMT, stmt, "bind " + insert.table);
  }
  const SQLRETURN rc = SQLExecute(stmt);
  Status result = Succeeded(rc) || rc == SQL_NO_DATA
                      ? Status::Ok()
                      : Diagnose(SQL_HANDLE_STMT, stmt, "insert into " + insert.table);
  SQLFreeStmt(stmt, SQL_CLOSE);
  return result;
}

std::vector<recordset::LateRefusal> OdbcConnection::TakeLateRefusals() {
  return std::exchange(late_, {});
}

}  // namespace zuna::sql::odbc
