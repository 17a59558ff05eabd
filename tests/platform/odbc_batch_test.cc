// Rows sent through ODBC as parameter arrays (Debian's SQLite ODBC driver): refused rows are
// lost alone and named by their tags, rows of changing types and rows read back before their
// batch was due all arrive as saved. And the parameter buffers themselves, bound to the real
// drivers of SQLite, PostgreSQL and MariaDB: every kind of value arrives whole, in arrays and
// alone, whatever the driver does with the buffers in between.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "platform/sql/odbc/array_report.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/odbc/parameter_batch.h"
#include "platform/sql/sql_recordset.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/odbc_environment.h"

namespace zuna::sql::odbc {
namespace {

using recordset::LateRefusal;
using recordset::Recordset;

class OdbcBatchTest : public ::testing::Test {
 protected:
  std::shared_ptr<OdbcConnection> Connect(std::size_t rows_per_batch) {
    OdbcOptions options;
    options.rows_per_batch = rows_per_batch;
    options.max_batch_delay = std::chrono::hours(1);  // batches go when full, not by the clock
    auto connection =
        OdbcConnection::Open("Driver=SQLite3;Database=" + (folder_ / "batch.db").string(), options);
    EXPECT_TRUE(connection.ok()) << connection.status().ToString();
    return connection.ok() ? *connection : nullptr;
  }

  void CreateTable(Connection& connection) {
    ASSERT_TRUE(connection
                    .Execute("CREATE TABLE staff (id int NOT NULL PRIMARY KEY, name varchar(20), "
                             "pay decimal(10,2), born datetime)")
                    .ok());
  }

  // Saves one row per entry of `ids` (0 leaves the id null) through a recordset, tagged 1, 2, ...
  // Returns every refused tag, at once or late.
  std::set<std::uint64_t> Save(const std::shared_ptr<Connection>& connection,
                               const std::vector<int>& ids) {
    std::set<std::uint64_t> refused;
    auto opened = OpenSqlRecordset(connection, "select * from staff");
    EXPECT_TRUE(opened.ok()) << opened.status().ToString();
    if (!opened.ok()) return refused;
    Recordset& rs = **opened;
    const auto take_late = [&] {
      for (const LateRefusal& late : rs.TakeLateRefusals()) {
        EXPECT_NE(late.status.number(), 0) << late.status.ToString();
        EXPECT_TRUE(refused.insert(late.tag).second) << "refused twice: " << late.tag;
      }
    };
    for (std::size_t i = 0; i < ids.size(); ++i) {
      EXPECT_TRUE(rs.AddNew().ok());
      // Every column is assigned in every row, as the import assigns them: a row with other
      // columns is another statement.
      EXPECT_TRUE(rs.SetByName("id", ids[i] ? Value::Integer(ids[i]) : Value::Null()).ok());
      // Every seventh row has no name and no birth date: nulls inside an array.
      const bool nulls = i % 7 == 3;
      EXPECT_TRUE(
          rs.SetByName("name", nulls ? Value::Null() : Value::Text("n" + std::to_string(ids[i])))
              .ok());
      EXPECT_TRUE(rs.SetByName("born", nulls ? Value::Null()
                                             : Value::Date({1960 + ids[i] % 40, 1 + ids[i] % 12,
                                                            1 + ids[i] % 28}))
                      .ok());
      EXPECT_TRUE(rs.SetByName("pay", Value::Decimal(100 * ids[i] + 25, 2)).ok());
      if (Status saved = rs.UpdateTagged(i + 1); !saved.ok()) refused.insert(i + 1);
      take_late();
    }
    EXPECT_TRUE(rs.Close().ok());
    take_late();
    return refused;
  }

  std::vector<std::string> Rows(Connection& connection, std::string_view query) {
    std::vector<std::string> rows;
    auto cursor = connection.Query(query);
    EXPECT_TRUE(cursor.ok()) << cursor.status().ToString();
    if (!cursor.ok()) return rows;
    std::vector<Value> row;
    while (*(*cursor)->Next(row)) {
      std::string line;
      for (std::size_t i = 0; i < row.size(); ++i) {
        line += (i ? "|" : "") + (row[i].is_null() ? std::string("<null>") : row[i].ToText());
      }
      rows.push_back(line);
    }
    return rows;
  }

  testkit::TempFolder folder_;
};

TEST_F(OdbcBatchTest, RefusedRowsInArraysAreLostAloneAndNamedByTheirTags) {
  auto connection = Connect(100);
  ASSERT_TRUE(connection);
  CreateTable(*connection);
  std::vector<int> ids;
  for (int id = 1; id <= 1234; ++id) ids.push_back(id);
  // Duplicate keys in the first, fifth and last batch, a missing id in the eighth.
  ids[16] = 3;
  ids[499] = 400;
  ids[776] = 0;
  ids[1200] = 1;
  EXPECT_EQ(Save(connection, ids), (std::set<std::uint64_t>{17, 500, 777, 1201}));

  EXPECT_EQ(Rows(*connection, "select count(*), sum(id) from staff"),
            (std::vector<std::string>{"1230|" +
                                      std::to_string(1234 * 1235 / 2 - 17 - 500 - 777 - 1201)}));
  EXPECT_EQ(Rows(*connection,
                 "select id, name, pay, born from staff where id in (4, 19, 1234) "
                 "order by id"),
            (std::vector<std::string>{"4|<null>|4.25|<null>", "19|n19|19.25|20/08/1979",
                                      "1234|n1234|1234.25|03/11/1994"}));
  // Four of the 13 arrays of up to 100 rows are rolled back, and each refusal costs at most two
  // rows sent on their own and two arrays rolled back: the rest still goes in arrays.
  const OdbcSendCounts& counts = connection->send_counts();
  EXPECT_GE(counts.arrays_rolled_back, 4u);
  EXPECT_LE(counts.arrays_rolled_back, 8u);
  EXPECT_LE(counts.rows_alone, 8u);
  EXPECT_EQ(counts.rows_in_arrays + counts.rows_alone, 1234u);
}

TEST_F(OdbcBatchTest, RowByRowSendsNoArrays) {
  auto connection = Connect(1);
  ASSERT_TRUE(connection);
  CreateTable(*connection);
  EXPECT_EQ(Save(connection, {1, 2, 1, 3}), (std::set<std::uint64_t>{3}));
  EXPECT_EQ(connection->send_counts().arrays, 0u);
  EXPECT_EQ(connection->send_counts().rows_alone, 4u);
  EXPECT_EQ(Rows(*connection, "select count(*) from staff"), (std::vector<std::string>{"3"}));
}

TEST_F(OdbcBatchTest, AValueOfAnotherTypeStartsANewBatch) {
  auto connection = Connect(100);
  ASSERT_TRUE(connection);
  ASSERT_TRUE(connection->Execute("CREATE TABLE notes (code varchar(10), born datetime)").ok());
  auto opened = OpenSqlRecordset(connection, "select * from notes");
  ASSERT_TRUE(opened.ok());
  std::unique_ptr<Recordset> rs = std::move(opened).value();
  const std::vector<std::pair<Value, Value>> rows = {
      {Value::Text("a"), Value::Date({2001, 2, 3})},
      {Value::Integer(42), Value::Null()},  // a number into the text column
      {Value::Text("b"), Value::DateTime({2002, 3, 4}, {5, 6, 7, 0})},
      {Value::Null(), Value::DateTime({2003, 4, 5}, {0, 0, 0, 0})},
  };
  for (const auto& [code, born] : rows) {
    ASSERT_TRUE(rs->AddNew().ok());
    ASSERT_TRUE(rs->SetByName("code", code).ok());
    ASSERT_TRUE(rs->SetByName("born", born).ok());
    ASSERT_TRUE(rs->Update().ok());
  }
  ASSERT_TRUE(rs->Close().ok());
  EXPECT_TRUE(rs->TakeLateRefusals().empty());
  EXPECT_EQ(Rows(*connection, "select code, born from notes order by rowid"),
            (std::vector<std::string>{"a|03/02/2001", "42|<null>", "b|04/03/2002 05:06:07",
                                      "<null>|05/04/2003"}));
}

TEST_F(OdbcBatchTest, BinaryValuesOfEveryLengthArriveWhole) {
  auto connection = Connect(100);
  ASSERT_TRUE(connection);
  ASSERT_TRUE(connection->Execute("CREATE TABLE files (id int, body blob)").ok());
  auto opened = OpenSqlRecordset(connection, "select * from files");
  ASSERT_TRUE(opened.ok());
  std::unique_ptr<Recordset> rs = std::move(opened).value();
  std::vector<std::string> expected;
  for (int id = 1; id <= 40; ++id) {
    // Lengths from 0 to 12 in no order, nulls between them, runs of one length.
    const bool null = id % 6 == 0;
    std::string body = {'\0', static_cast<char>(id)};
    body.resize(static_cast<std::size_t>(id < 30 ? id * 5 % 13 : 4), '\xfe');
    ASSERT_TRUE(rs->AddNew().ok());
    ASSERT_TRUE(rs->SetByName("id", Value::Integer(id)).ok());
    ASSERT_TRUE(rs->SetByName("body", null ? Value::Null() : Value::Binary(body)).ok());
    ASSERT_TRUE(rs->Update().ok());
    expected.push_back(std::to_string(id) + "|" + (null ? "<null>" : body));
  }
  ASSERT_TRUE(rs->Close().ok());
  EXPECT_TRUE(rs->TakeLateRefusals().empty());
  EXPECT_EQ(Rows(*connection, "select id, body from files order by id"), expected);
  EXPECT_GE(connection->send_counts().rows_in_arrays, 11u) << "a run of one length is one array";
}

TEST_F(OdbcBatchTest, AQueryOnTheConnectionSeesRowsNotYetDue) {
  auto connection = Connect(100);
  ASSERT_TRUE(connection);
  CreateTable(*connection);
  auto opened = OpenSqlRecordset(connection, "select * from staff");
  ASSERT_TRUE(opened.ok());
  std::unique_ptr<Recordset> rs = std::move(opened).value();
  for (int id = 1; id <= 10; ++id) {
    ASSERT_TRUE(rs->AddNew().ok());
    ASSERT_TRUE(rs->SetByName("id", Value::Integer(id)).ok());
    ASSERT_TRUE(rs->Update().ok());
  }
  EXPECT_EQ(Rows(*connection, "select count(*) from staff"), (std::vector<std::string>{"10"}));
  EXPECT_EQ(connection->send_counts().arrays, 1u);
}

// The two kinds of driver: those that fill the status array (SQL Server's go on past a refused
// row) and those that only count the rows they processed (SQLite's stops at it).
TEST(ArrayReportTest, StatusesOrTheProcessedCountLocateTheFirstRefusedRow) {
  constexpr SQLUSMALLINT kOk = SQL_PARAM_SUCCESS;
  constexpr SQLUSMALLINT kInfo = SQL_PARAM_SUCCESS_WITH_INFO;
  constexpr SQLUSMALLINT kError = SQL_PARAM_ERROR;
  constexpr SQLUSMALLINT kNone = kStatusNotReported;
  const auto first = [](const ArrayReport& report) {
    return report.first_refused ? static_cast<int>(*report.first_refused) : -1;
  };

  ArrayReport all = ReadArrayReport({kOk, kInfo, kOk}, 3, true);
  EXPECT_TRUE(all.all_saved);
  all = ReadArrayReport({kNone, kNone, kNone}, kCountNotReported, true);
  EXPECT_TRUE(all.all_saved) << "a driver that reports nothing is taken at its word";

  // Statuses: the first row not saved, whatever SQLExecute returned.
  ArrayReport r = ReadArrayReport({kOk, kError, kOk, kError}, 4, true);
  EXPECT_FALSE(r.all_saved);
  EXPECT_EQ(first(r), 1);
  r = ReadArrayReport({kOk, kOk, kError, SQL_PARAM_UNUSED}, 3, false);
  EXPECT_EQ(first(r), 2);
  r = ReadArrayReport({kOk, kOk, kNone}, kCountNotReported, true);
  EXPECT_FALSE(r.all_saved) << "a row the driver left unreported was not saved";
  EXPECT_EQ(first(r), 2);

  // Only a count: the row before it may be the refused one.
  r = ReadArrayReport({kNone, kNone, kNone, kNone, kNone}, 3, false);
  EXPECT_FALSE(r.all_saved);
  EXPECT_EQ(first(r), 2);
  EXPECT_EQ(first(ReadArrayReport({kNone, kNone}, 0, false)), 0);
  r = ReadArrayReport({kNone, kNone, kNone}, 2, true);
  EXPECT_FALSE(r.all_saved) << "success, yet a row not reached";
  EXPECT_EQ(first(r), 1);

  // Nothing said of the rows: not saved, and no row located.
  r = ReadArrayReport({kNone, kNone}, kCountNotReported, false);
  EXPECT_FALSE(r.all_saved);
  EXPECT_FALSE(r.first_refused);
  r = ReadArrayReport({kOk, kOk}, 2, false);
  EXPECT_FALSE(r.all_saved) << "every row marked saved, but the array failed";
  EXPECT_FALSE(r.first_refused);
}

// What a connection's session is made to do on a server, whatever the server's own settings:
// the test servers run with MariaDB outside its strict mode, as many installations do, and
// PostgreSQL with its default date order.
class ServerSessionTest : public ::testing::Test {
 protected:
  std::shared_ptr<OdbcConnection> Connect(testkit::TestServer server) {
    const auto dsn = testkit::TestServerDataSource(server);
    if (!dsn) return nullptr;
    auto connection = OdbcConnection::Open("DSN=" + *dsn);
    EXPECT_TRUE(connection.ok()) << connection.status().ToString();
    return connection.ok() ? *connection : nullptr;
  }

  std::string One(Connection& connection, std::string_view query) {
    auto cursor = connection.Query(query);
    EXPECT_TRUE(cursor.ok()) << cursor.status().ToString();
    std::vector<Value> row;
    if (!cursor.ok() || !*(*cursor)->Next(row) || row.empty()) return "<none>";
    return row[0].is_null() ? "<null>" : row[0].ToText();
  }
};

// Outside strict mode MariaDB stores "01/01/1900" in a date column as 0000-00-00, cuts a text to
// its column and clips a number to its type, and its driver reports plain success.
TEST_F(ServerSessionTest, MariaDbRefusesAValueItWouldChange) {
  auto connection = Connect(testkit::TestServer::kMariaDb);
  if (!connection) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
  ASSERT_EQ(One(*connection, "SELECT @@GLOBAL.sql_mode LIKE '%STRICT%'"), "0")
      << "the test server must run outside strict mode for this test to mean anything";
  ASSERT_TRUE(connection->Execute("DROP TABLE IF EXISTS changed").ok());
  ASSERT_TRUE(
      connection->Execute("CREATE TABLE changed (born date, code varchar(3), small tinyint)").ok());
  for (const char* values : {"('01/01/1900', NULL, NULL)", "(NULL, 'ABCD', NULL)",
                             "(NULL, NULL, 300)", "('2001-02-30', NULL, NULL)"}) {
    const Status saved = connection->Execute(std::string("INSERT INTO changed VALUES ") + values);
    EXPECT_FALSE(saved.ok()) << values << " was saved changed";
    EXPECT_NE(saved.number(), 0) << saved.ToString();
  }
  EXPECT_EQ(One(*connection, "SELECT COUNT(*) FROM changed"), "0");
  // What a value may still do: be saved unchanged.
  ASSERT_TRUE(connection->Execute("INSERT INTO changed VALUES ('1900-01-01', 'ABC', 127)").ok());
  EXPECT_EQ(One(*connection, "SELECT born FROM changed"), "01/01/1900");
}

// The embedded engine reads a text date day first, as the FoxPro data writes it.
TEST_F(ServerSessionTest, PostgresReadsATextDateDayFirst) {
  auto connection = Connect(testkit::TestServer::kPostgres);
  if (!connection) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
  ASSERT_TRUE(connection->Execute("DROP TABLE IF EXISTS dates").ok());
  ASSERT_TRUE(connection->Execute("CREATE TABLE dates (id int, born date)").ok());
  ASSERT_TRUE(connection->Execute("INSERT INTO dates VALUES (1, '02/03/2001')").ok());
  ASSERT_TRUE(connection->Execute("INSERT INTO dates VALUES (2, '13/02/2001')").ok());
  EXPECT_EQ(One(*connection, "SELECT born FROM dates WHERE id = 1"), "02/03/2001");
  EXPECT_EQ(One(*connection, "SELECT born FROM dates WHERE id = 2"), "13/02/2001");
  EXPECT_EQ(One(*connection, "SELECT COUNT(*) FROM dates WHERE born = '2001-03-02'"), "1");
}

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
