// The parameter buffers themselves (parameter_batch.cc), bound to the real drivers of SQLite,
// PostgreSQL and MariaDB: every kind of value arrives whole, in arrays and alone, whatever the
// driver does with the buffers in between.
#include "platform/sql/odbc/parameter_batch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "platform/sql/odbc/array_report.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/sql_recordset.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/odbc_environment.h"

namespace zuna::sql::odbc {
namespace {

enum class Driver { kSqlite, kPostgres, kMariaDb };

// A ParameterBatch bound to a statement prepared on a driver's own connection, without the
// connection layer: what reaches the server is exactly what the batch's buffers hold.
class ParameterBufferTest : public ::testing::TestWithParam<Driver> {
 protected:
  static constexpr std::size_t kColumns = 9;  // besides the id

  void SetUp() override {
    std::string types;
    switch (GetParam()) {
      case Driver::kSqlite:
        connection_string_ = "Driver=SQLite3;Database=" + (folder_ / "kinds.db").string();
        types = "varchar(40), varchar(10), bigint, decimal(14,2), float, date, datetime, int, blob";
        break;
      case Driver::kPostgres:
      case Driver::kMariaDb: {
        const auto dsn = testkit::TestServerDataSource(GetParam() == Driver::kPostgres
                                                           ? testkit::TestServer::kPostgres
                                                           : testkit::TestServer::kMariaDb);
        if (!dsn) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
        connection_string_ = "DSN=" + *dsn;
        types = GetParam() == Driver::kPostgres
                    ? "varchar(40), varchar(10), bigint, numeric(14,2), double precision, date, "
                      "timestamp(3), smallint, bytea"
                    : "varchar(40), varchar(10), bigint, decimal(14,2), double, date, "
                      "datetime(3), tinyint, varbinary(64)";
        break;
      }
    }
    auto connection = OdbcConnection::Open(connection_string_);
    ASSERT_TRUE(connection.ok()) << connection.status().ToString();
    reader_ = *connection;
    ASSERT_TRUE(reader_->Execute("DROP TABLE IF EXISTS kinds").ok());
    std::string create = "CREATE TABLE kinds (id int NOT NULL PRIMARY KEY";
    std::size_t column = 1;
    for (std::size_t start = 0; start <= types.size(); ++column) {
      const std::size_t end = std::min(types.find(", ", start), types.size());
      create += ", c" + std::to_string(column) + " " + types.substr(start, end - start);
      start = end + 2;
    }
    const Status created = reader_->Execute(create + ")");
    ASSERT_TRUE(created.ok()) << created.ToString();

    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)));
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_)));
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(connection_string_.data()),
                         SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    connected_ = true;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_)));
    std::string insert = "INSERT INTO kinds VALUES (?";
    for (std::size_t i = 1; i < kColumns + 1; ++i) insert += ", ?";
    insert += ")";
    ASSERT_TRUE(
        SQL_SUCCEEDED(SQLPrepare(stmt_, reinterpret_cast<SQLCHAR*>(insert.data()), SQL_NTS)))
        << Diagnostic(SQL_HANDLE_STMT, stmt_);
  }

  void TearDown() override {
    if (stmt_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    if (connected_) SQLDisconnect(dbc_);
    if (dbc_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }

  static std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {}, message[SQL_MAX_MESSAGE_LENGTH] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    return "[" + std::string(reinterpret_cast<char*>(state)) + "] " +
           reinterpret_cast<char*>(message);
  }

  // The values of row `id`, one of every kind the import binds, with nulls between them. Rows
  // from 200 on have texts of one character, and the second column is null in every row. Binary
  // values have one length in each hundred of ids, as a batch holds them.
  static std::vector<Value> RowValues(int id) {
    static const std::string kTexts[] = {
        "", "x", "Zoë", "eight ch", "a text of twenty-one.", std::string(40, 'w')};
    const bool narrow = id >= 200;
    const bool null = id % 7 == 3;
    std::string bytes = {'\0', static_cast<char>(id % 256), '\xff'};
    bytes.resize(static_cast<std::size_t>(2 + id / 100 * 3), 'b');
    return {
        Value::Integer(id),
        null ? Value::Null()
             : Value::Text(narrow ? std::string(1, static_cast<char>('a' + id % 26))
                                  : kTexts[id % 6]),
        Value::Null(),
        id % 5 == 1 ? Value::Null()
                    : Value::Integer((id % 2 ? -1 : 1) * (std::int64_t{1} << 40) + id),
        null ? Value::Null() : Value::Decimal(id * 100 + 99, 2),
        id % 4 == 2 ? Value::Null() : Value::Double(id + 0.25),
        null ? Value::Null() : Value::Date({1900 + id % 200, 1 + id % 12, 1 + id % 28}),
        id % 6 == 5 ? Value::Null()
                    : Value::DateTime({2000 + id % 30, 2, 28}, {id % 24, id % 60, 59, id % 1000}),
        Value::Boolean(id % 3 == 0),
        id % 9 == 4 ? Value::Null() : Value::Binary(bytes),
    };
  }

  // How a value reads back: texts as they are, numbers in their shortest form, booleans as the
  // integers they are bound as, dates with their milliseconds.
  static std::string Shown(const Value& value) {
    if (value.is_null()) return "<null>";
    if (value.kind() == ValueKind::kBoolean) return value.ToText() == "True" ? "1" : "0";
    if (value.kind() == ValueKind::kBinary) {
      std::string hex;
      for (unsigned char c : value.text())
        hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
      return "0x" + hex;
    }
    std::string text = value.ToText();
    if (value.kind() == ValueKind::kDateTime)
      text += "." + std::to_string(value.time().millisecond);
    return text;
  }

  void Add(ParameterBatch& batch, int id) {
    values_[id] = RowValues(id);
    std::vector<const Value*> pointers;
    std::vector<int> assigned;
    for (const Value& v : values_[id]) {
      assigned.push_back(static_cast<int>(pointers.size()));
      pointers.push_back(&v);
    }
    ASSERT_TRUE(batch.Add(assigned, pointers, static_cast<std::uint64_t>(id)));
  }

  // Sends rows [first, first + count) of `batch` as the connection does: an array when there
  // are several, a row alone otherwise.
  void Send(ParameterBatch& batch, std::size_t first, std::size_t count) {
    std::vector<SQLUSMALLINT> statuses(count, kStatusNotReported);
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(count), 0)));
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_STATUS_PTR, count > 1 ? statuses.data() : nullptr, 0);
    ASSERT_TRUE(SQL_SUCCEEDED(batch.Bind(stmt_, first))) << Diagnostic(SQL_HANDLE_STMT, stmt_);
    const SQLRETURN rc = SQLExecute(stmt_);
    EXPECT_TRUE(SQL_SUCCEEDED(rc))
        << "ids " << batch.tag(first) << " to " << batch.tag(first + count - 1) << ": "
        << Diagnostic(SQL_HANDLE_STMT, stmt_);
    SQLFreeStmt(stmt_, SQL_CLOSE);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
    if (count > 1) {
      for (std::size_t r = 0; r < count; ++r) {
        EXPECT_TRUE(statuses[r] == SQL_PARAM_SUCCESS ||
                    statuses[r] == SQL_PARAM_SUCCESS_WITH_INFO || statuses[r] == kStatusNotReported)
            << "row " << first + r << " status " << statuses[r];
      }
    }
  }

  std::vector<std::string> Expected() const {
    std::vector<std::string> rows;
    for (const auto& [id, row] : values_) {
      std::string line;
      for (const Value& v : row) line += (line.empty() ? "" : "|") + Shown(v);
      rows.push_back(line);
    }
    return rows;
  }

  std::vector<std::string> Saved() {
    std::vector<std::string> rows;
    auto cursor = reader_->Query("SELECT * FROM kinds ORDER BY id");
    EXPECT_TRUE(cursor.ok()) << cursor.status().ToString();
    if (!cursor.ok()) return rows;
    std::vector<Value> row;
    for (;;) {
      auto next = (*cursor)->Next(row);
      EXPECT_TRUE(next.ok()) << next.status().ToString();
      if (!next.ok() || !*next) break;
      std::string line;
      for (const Value& v : row) line += (line.empty() ? "" : "|") + Shown(v);
      rows.push_back(line);
    }
    return rows;
  }

  testkit::TempFolder folder_;
  std::string connection_string_;
  std::shared_ptr<OdbcConnection> reader_;
  SQLHENV env_ = SQL_NULL_HANDLE;
  SQLHDBC dbc_ = SQL_NULL_HANDLE;
  SQLHSTMT stmt_ = SQL_NULL_HANDLE;
  bool connected_ = false;
  std::map<int, std::vector<Value>> values_;
};

// One statement and one batch, sent as the connection sends them: whole arrays, a batch of one
// row sent alone, arrays again in the same buffers (after a row alone, a driver may still hold
// the address it read that row from), and a batch sent in pieces around a row alone, as after a
// refused row. Rows of one-character texts pack the texts as tightly as they can go.
TEST_P(ParameterBufferTest, EveryKindOfValueArrivesWholeInArraysAndAlone) {
  ParameterBatch batch(kColumns + 1);
  const auto batch_of = [&](int from, int to) {
    batch.Clear();
    for (int id = from; id <= to; ++id) Add(batch, id);
  };
  batch_of(1, 60);
  Send(batch, 0, 60);
  batch_of(61, 61);
  Send(batch, 0, 1);
  batch_of(62, 99);
  Send(batch, 0, 38);
  batch_of(200, 260);
  Send(batch, 0, 61);
  batch_of(261, 261);
  Send(batch, 0, 1);
  batch_of(262, 299);
  Send(batch, 0, 38);
  batch_of(400, 449);
  Send(batch, 0, 17);
  Send(batch, 17, 1);
  Send(batch, 18, 31);
  Send(batch, 49, 1);
  batch_of(450, 499);
  Send(batch, 0, 50);
  EXPECT_EQ(Saved(), Expected());
}

// What a driver may write into the buffers it is given, done here where AddressSanitizer sees
// it: a pointer's 8 bytes for every row from the start of each buffer (what MariaDB's driver
// writes when it takes the buffer for its own), and a terminator after each text.
TEST_P(ParameterBufferTest, EveryBufferTakesAPointerPerRowAndATerminatorPerText) {
  ParameterBatch batch(kColumns + 1);
  for (int id = 200; id < 223; ++id) Add(batch, id);  // one-character texts: the tightest
  constexpr std::size_t kRows = 23;
  for (std::size_t first : {std::size_t{0}, std::size_t{9}}) {
    ASSERT_TRUE(SQL_SUCCEEDED(batch.Bind(stmt_, first)));
    SQLHDESC apd = SQL_NULL_HANDLE;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLGetStmtAttr(stmt_, SQL_ATTR_APP_PARAM_DESC, &apd, 0, nullptr)));
    for (SQLSMALLINT record = 1; record <= static_cast<SQLSMALLINT>(kColumns + 1); ++record) {
      SQLPOINTER data = nullptr;
      SQLLEN octets = 0;
      SQLSMALLINT type = 0;
      if (!SQL_SUCCEEDED(SQLGetDescField(apd, record, SQL_DESC_DATA_PTR, &data, 0, nullptr))) {
        GTEST_SKIP() << "the driver does not show its parameter descriptors";
      }
      SQLGetDescField(apd, record, SQL_DESC_OCTET_LENGTH, &octets, 0, nullptr);
      SQLGetDescField(apd, record, SQL_DESC_CONCISE_TYPE, &type, 0, nullptr);
      ASSERT_NE(data, nullptr) << record;
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % 8, 0u) << "parameter " << record;
      auto* bytes = static_cast<unsigned char*>(data);
      for (std::size_t r = 0; r < kRows - first; ++r) {
        std::memset(bytes + r * 8, 0xa5, 8);
        if (type == SQL_C_CHAR) bytes[r * static_cast<std::size_t>(octets) + octets - 1] = '\0';
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Drivers, ParameterBufferTest,
                         ::testing::Values(Driver::kSqlite, Driver::kPostgres, Driver::kMariaDb),
                         [](const auto& param_info) {
                           switch (param_info.param) {
                             case Driver::kSqlite:
                               return "Sqlite";
                             case Driver::kPostgres:
                               return "Postgres";
                             case Driver::kMariaDb:
                               return "MariaDb";
                           }
                           return "";
                         });

}  // namespace
}  // namespace zuna::sql::odbc
