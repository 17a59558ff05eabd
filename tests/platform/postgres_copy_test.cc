// The PostgreSQL COPY path: its text encoding (no server needed), and against the PostgreSQL
// server ctest starts: refusals found by halving, values equal to the ODBC path's, and a lost
// connection made to happen through the path's fault seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "platform/sources/data_sources.h"
#include "platform/sources/postgres_target.h"
#include "platform/sql/odbc/data_source_info.h"
#include "platform/sql/postgres/copy_faults.h"
#include "platform/sql/postgres/copy_text.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/odbc_environment.h"

namespace zuna::sql::postgres {
namespace {

using Kind = ColumnType::Kind;

std::string Field(const Value& value, Kind column) {
  std::string line;
  AppendCopyField(value, column, line);
  return line;
}

TEST(CopyTextTest, TextsAreEscapedAndNullIsItsMarker) {
  EXPECT_EQ(Field(Value::Text("a\tb\nc\rd\\e"), Kind::kText), "a\\tb\\nc\\rd\\\\e");
  EXPECT_EQ(Field(Value::Text("Mül€ "), Kind::kText), "Mül€ ");  // trailing blanks kept
  EXPECT_EQ(Field(Value::Text("\\N"), Kind::kText), "\\\\N");    // a text, not a null
  EXPECT_EQ(Field(Value::Null(), Kind::kText), "\\N");
  EXPECT_EQ(Field(Value::Text(""), Kind::kText), "");
  EXPECT_EQ(Field(Value::Binary(std::string("\x00\xff", 2)), Kind::kOther), "\\\\x00ff");
}

TEST(CopyTextTest, ValuesInATextColumnAreTheirTextForm) {
  EXPECT_EQ(Field(Value::Boolean(true), Kind::kText), "True");
  EXPECT_EQ(Field(Value::Date({2001, 2, 3}), Kind::kText), "03/02/2001");
  EXPECT_EQ(Field(Value::Decimal(152050, 2), Kind::kText), "1520.5");
  EXPECT_EQ(Field(Value::Integer(-7), Kind::kText), "-7");
}

TEST(CopyTextTest, OtherColumnsGetIsoDatesAndExactNumbers) {
  EXPECT_EQ(Field(Value::Date({900, 1, 5}), Kind::kDate), "0900-01-05");
  EXPECT_EQ(Field(Value::Date({2001, 2, 3}), Kind::kDateTime), "2001-02-03");
  EXPECT_EQ(Field(Value::DateTime({2001, 2, 3}, {4, 5, 6, 78}), Kind::kDateTime),
            "2001-02-03 04:05:06.078");
  EXPECT_EQ(Field(Value::Boolean(false), Kind::kBit), "0");
  EXPECT_EQ(Field(Value::Decimal(-25, 2), Kind::kDecimal), "-0.25");
  EXPECT_EQ(Field(Value::Double(0.1), Kind::kFloat), "0.1");
  EXPECT_EQ(Field(Value::Text("01/02/2001"), Kind::kDate), "01/02/2001");  // the server reads it
}

TEST(CopyTextTest, EscapesAtTheEdgesAndInRowsAreEachWritten) {
  EXPECT_EQ(Field(Value::Text("\\"), Kind::kText), "\\\\");
  EXPECT_EQ(Field(Value::Text("\t\t"), Kind::kText), "\\t\\t");
  EXPECT_EQ(Field(Value::Text("\nab"), Kind::kText), "\\nab");
  EXPECT_EQ(Field(Value::Text("ab\r"), Kind::kText), "ab\\r");
  EXPECT_EQ(Field(Value::Text("a\\\\b\r\nc"), Kind::kText), "a\\\\\\\\b\\r\\nc");
  const std::string plain(300, 'x');
  EXPECT_EQ(Field(Value::Text(plain), Kind::kText), plain);
  // Fields append to the line they are given.
  std::string line = "1\t";
  AppendCopyField(Value::Text("a\tb"), Kind::kText, line);
  EXPECT_EQ(line, "1\ta\\tb");
}

TEST(CopyTextTest, DatesAndTimesKeepTheirZerosAtEveryEdge) {
  EXPECT_EQ(Field(Value::Date({1753, 1, 1}), Kind::kDateTime), "1753-01-01");
  EXPECT_EQ(Field(Value::Date({9999, 12, 31}), Kind::kDate), "9999-12-31");
  EXPECT_EQ(Field(Value::Date({1, 1, 1}), Kind::kDate), "0001-01-01");
  EXPECT_EQ(Field(Value::Date({10, 10, 10}), Kind::kDate), "0010-10-10");
  EXPECT_EQ(Field(Value::DateTime({1753, 1, 1}, {0, 0, 0, 0}), Kind::kDateTime),
            "1753-01-01 00:00:00.000");
  EXPECT_EQ(Field(Value::DateTime({9999, 12, 31}, {23, 59, 59, 999}), Kind::kDateTime),
            "9999-12-31 23:59:59.999");
  EXPECT_EQ(Field(Value::DateTime({2001, 2, 3}, {4, 5, 6, 7}), Kind::kDateTime),
            "2001-02-03 04:05:06.007");
}

TEST(CopyTextTest, NamesAreQuotedWithQuotesDoubled) {
  std::string sql;
  AppendQuotedName("personnel-del", sql);
  AppendQuotedName("a\"b", sql);
  EXPECT_EQ(sql, "\"personnel-del\"\"a\"\"b\"");
}

// ZUNA_COPY_FAULTS, the seam the tests of the programs set: every fault it names, and a text it
// cannot read is an error rather than a run without the fault.
TEST(CopyFaultsTest, TheVariableNamesEachFault) {
  auto faults = ParseCopyFaults(
      "lost-at-copy:4,lost-answer-at-copy:2,,server-stays-down,pause-at-copy:3:/tmp/p:x,"
      "rows-per-copy:500");
  ASSERT_TRUE(faults.ok()) << faults.status().ToString();
  EXPECT_EQ(faults->drop_before_copy, 4u);
  EXPECT_EQ(faults->lose_answer_of_copy, 2u);
  EXPECT_TRUE(faults->server_gone);
  EXPECT_EQ(faults->pause_before_copy, 3u);
  EXPECT_EQ(faults->pause_file, "/tmp/p:x");  // the file's name may hold a colon
  EXPECT_EQ(faults->rows_per_copy, 500u);
  EXPECT_EQ(faults->drop_during_copy, 0u);

  auto none = ParseCopyFaults("");
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(none->drop_before_copy + none->lose_answer_of_copy + none->pause_before_copy, 0u);
  EXPECT_FALSE(none->server_gone);
  EXPECT_EQ(none->rows_per_copy, 0u);

  for (const char* wrong :
       {"lost-at-copy", "lost-at-copy:", "lost-at-copy:0", "lost-at-copy:x", "lost-at-copy:2x",
        "lost-at-copy:-1", "pause-at-copy:3", "pause-at-copy:3:", "pause-at-copy::f",
        "rows-per-copy:0", "server-stays-down:1", "lost-at-execute:2", "lost-at-copy:2,bogus"}) {
    auto parsed = ParseCopyFaults(wrong);
    ASSERT_FALSE(parsed.ok()) << wrong;
    EXPECT_EQ(parsed.status().kind(), ErrorKind::kInvalidArgument) << wrong;
    EXPECT_NE(parsed.status().description().find("ZUNA_COPY_FAULTS"), std::string::npos);
  }
}

// Against the test server: a table `staff` with a key and a short text.
class PostgresCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dsn_ = testkit::TestServerDataSource(testkit::TestServer::kPostgres).value_or("");
    if (dsn_.empty()) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
    Run("DROP TABLE IF EXISTS staff; CREATE TABLE staff (id int NOT NULL PRIMARY KEY, "
        "code varchar(5), pay numeric(10,2), born date, seen timestamp(3), rate float, "
        "active boolean, note text)");
  }

  std::shared_ptr<Connection> Open(const CopyOptions& options, bool copy = true) {
    sources::DataSources sources(folder_.path(),
                                 config::IniFile::Parse("[pay]\nDriver = odbc\nDSN = " + dsn_ +
                                                        "\n" + (copy ? "" : "PostgresCopy = No\n")),
                                 odbc::ListDataSources());
    sources.set_copy_options(options);
    auto connection = sources.OpenConnection("dsn=pay");
    EXPECT_TRUE(connection.ok()) << connection.status().ToString();
    return connection.ok() ? *connection : nullptr;
  }

  void Run(const std::string& script) {
    auto connection = Open({}, false);
    ASSERT_TRUE(connection);
    const Status done = connection->Execute(script);
    ASSERT_TRUE(done.ok()) << done.ToString();
  }

  // Inserts rows of (id, code) with ids first.., codes as given; tags are the ids.
  static void InsertRows(Connection& connection, const std::string& table,
                         const std::vector<std::pair<int, std::string>>& rows) {
    auto columns = connection.TableColumns(table);
    ASSERT_TRUE(columns.ok()) << columns.status().ToString();
    std::vector<Value> values(columns->size());
    std::vector<const Value*> pointers;
    for (const Value& v : values) pointers.push_back(&v);
    for (const auto& [id, code] : rows) {
      values[0] = Value::Integer(id);
      values[1] = Value::Text(code);
      const Status saved =
          connection.Insert(table, *columns, {0, 1}, pointers, static_cast<std::uint64_t>(id));
      ASSERT_TRUE(saved.ok()) << saved.ToString();
    }
  }

  // Inserts rows of ids 1, 2, ... into staff (the other columns null) until one is not accepted
  // or `last` is reached; returns that outcome and how many were accepted.
  static std::pair<Status, std::uint64_t> InsertIdsUntilStopped(Connection& connection, int last) {
    auto columns = connection.TableColumns("staff");
    EXPECT_TRUE(columns.ok());
    if (!columns.ok()) return {columns.status(), 0};
    std::vector<Value> values(columns->size());
    std::vector<const Value*> pointers;
    for (const Value& v : values) pointers.push_back(&v);
    Status stopped;
    std::uint64_t accepted = 0;
    for (int id = 1; id <= last && stopped.ok(); ++id) {
      values[0] = Value::Integer(id);
      stopped = connection.Insert("staff", *columns, {0}, pointers, static_cast<std::uint64_t>(id));
      if (stopped.ok()) ++accepted;
    }
    return {stopped, accepted};
  }

  std::vector<std::string> Rows(Connection& connection, const std::string& query) {
    std::vector<std::string> rows;
    auto cursor = connection.Query(query);
    EXPECT_TRUE(cursor.ok()) << cursor.status().ToString();
    if (!cursor.ok()) return rows;
    std::vector<Value> row;
    while (true) {
      auto more = (*cursor)->Next(row);
      EXPECT_TRUE(more.ok());
      if (!more.ok() || !*more) break;
      std::string line;
      for (std::size_t i = 0; i < row.size(); ++i) {
        line += (i ? "|" : "") + (row[i].is_null() ? std::string("<null>") : row[i].ToText());
      }
      rows.push_back(line);
    }
    return rows;
  }

  std::string dsn_;
  testkit::TempFolder folder_;
};

std::vector<std::pair<int, std::string>> Numbered(int first, int last) {
  std::vector<std::pair<int, std::string>> rows;
  for (int id = first; id <= last; ++id) rows.emplace_back(id, "c" + std::to_string(id));
  return rows;
}

std::set<std::uint64_t> TagsOf(const std::vector<recordset::LateRefusal>& late) {
  std::set<std::uint64_t> tags;
  for (const auto& refusal : late) tags.insert(refusal.tag);
  return tags;
}

TEST_F(PostgresCopyTest, ThePathIsChosenByTheServerAndTheSetting) {
  EXPECT_NE(dynamic_cast<CopyConnection*>(Open({}).get()), nullptr);
  EXPECT_EQ(dynamic_cast<CopyConnection*>(Open({}, false).get()), nullptr);
  // Any other server keeps the ODBC path: SQLite's driver behind the data source "pay".
  sources::DataSources sqlite(folder_.path(), config::IniFile::Parse("[pay]\nDriver = odbc\n"),
                              odbc::ListDataSources());
  auto other = sqlite.OpenConnection("dsn=pay");
  ASSERT_TRUE(other.ok()) << other.status().ToString();
  EXPECT_EQ(dynamic_cast<CopyConnection*>(other->get()), nullptr);
  EXPECT_FALSE(sources::UsesPsqlOdbc("DSN=pay"));
  EXPECT_TRUE(sources::UsesPsqlOdbc("DSN=" + dsn_));
  EXPECT_TRUE(sources::UsesPsqlOdbc("Driver={PostgreSQL Unicode};Database=x"));

  sources::DataSources wrong(
      folder_.path(), config::IniFile::Parse("[pay]\nDriver = odbc\nPostgresCopy = maybe\n"), {});
  EXPECT_EQ(wrong.Resolve("dsn=pay").status().kind(), ErrorKind::kInvalidArgument);
}

TEST_F(PostgresCopyTest, LibpqGetsTheDataSourcesSettingsUnlessTheStringGivesThem) {
  const PostgresTarget from_dsn = sources::PostgresTargetOf("DSN=" + dsn_);
  EXPECT_EQ(from_dsn.host, std::string(std::getenv("ZUNA_TEST_SERVERS")) + "/pg-run");
  EXPECT_EQ(from_dsn.port, "5432");
  EXPECT_EQ(from_dsn.database, "zuna_test");
  EXPECT_EQ(from_dsn.user, "zuna");
  EXPECT_EQ(from_dsn.password, "zuna-test");
  const PostgresTarget given =
      sources::PostgresTargetOf("DSN=" + dsn_ + ";Database=zuna;UID=clerk;PWD={a;b}");
  EXPECT_EQ(given.database, "zuna");
  EXPECT_EQ(given.user, "clerk");
  EXPECT_EQ(given.password, "a;b");
  EXPECT_EQ(given.host, from_dsn.host);
  EXPECT_EQ(given.Describe().find("a;b"), std::string::npos);  // never the password
}

TEST_F(PostgresCopyTest, RefusedRowsAreFoundByTheServersLineAndCarryItsMessage) {
  CopyCounts counts;
  {
    CopyOptions options;
    options.rows_per_batch = 100;
    options.background_sends = false;  // the counts below are those of 100-row batches
    options.totals = &counts;
    auto connection = Open(options);
    ASSERT_TRUE(connection);
    auto rows = Numbered(1, 100);
    rows[36].first = 5;             // row 37 repeats the key of row 5
    rows[89].second = "too long!";  // row 90 does not fit varchar(5)
    InsertRows(*connection, "staff", rows);
    ASSERT_TRUE(connection->Flush().ok());
    const auto late = connection->TakeLateRefusals();
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(TagsOf(late), (std::set<std::uint64_t>{5, 90}));  // tags are the ids given
    for (const auto& refusal : late) {
      const std::string& text = refusal.status.description();
      EXPECT_NE(text.find(refusal.tag == 5 ? "[23505]" : "[22001]"), std::string::npos) << text;
      EXPECT_EQ(text.find('\n'), std::string::npos);
    }
    // The first of the two rows with key 5 is the one kept, as in the order of the rows.
    EXPECT_EQ(Rows(*connection, "select count(*), max(case when id = 5 then code end) from staff"),
              std::vector<std::string>{"98|c5"});
  }
  // The server reads a text too long before it checks keys: row 90 is refused first, rows 1-89
  // go again (refused at row 37), then 1-36 and 38-89 each as one COPY, then 91-100.
  EXPECT_EQ(counts.copies_refused, 2u);
  EXPECT_EQ(counts.copies, 3u);
  EXPECT_EQ(counts.rows_copied, 98u);
  EXPECT_EQ(counts.rows_sent, 100u + 89 + 36 + 52 + 10);
}

TEST_F(PostgresCopyTest, ManyRefusalsInABatchLoseOnlyTheirRows) {
  CopyCounts counts;
  std::set<std::uint64_t> expected;
  {
    CopyOptions options;
    options.rows_per_batch = 2000;
    options.totals = &counts;
    auto connection = Open(options);
    ASSERT_TRUE(connection);
    auto rows = Numbered(1, 3000);
    for (std::size_t i = 40; i < rows.size(); i += 97) {
      rows[i].second = "too long";
      expected.insert(static_cast<std::uint64_t>(rows[i].first));
    }
    rows[2998].second = "long!!";  // the row before the last
    expected.insert(2999);
    InsertRows(*connection, "staff", rows);
    ASSERT_TRUE(connection->Flush().ok());
    const auto late = connection->TakeLateRefusals();
    EXPECT_EQ(late.size(), expected.size());  // each once
    EXPECT_EQ(TagsOf(late), expected);
    EXPECT_EQ(Rows(*connection, "select count(*), count(distinct id) from staff"),
              std::vector<std::string>{std::to_string(3000 - expected.size()) + "|" +
                                       std::to_string(3000 - expected.size())});
  }
  EXPECT_EQ(counts.rows_copied, 3000 - expected.size());
  // Each refused row cost one refused COPY, and COPYs kept short while refusals came: few rows
  // went to the server more than once (whole COPYs of 2,000 rows would send over 9,000).
  EXPECT_EQ(counts.copies_refused, expected.size());
  EXPECT_LT(counts.rows_sent, 8000u);
}

TEST_F(PostgresCopyTest, AfterTheLastRefusalRowsGoOnceInCopiesGrowingAgain) {
  CopyCounts counts;
  {
    CopyOptions options;
    options.rows_per_batch = 10'000;
    options.background_sends = false;  // the counts below are those of 10,000-row batches
    options.totals = &counts;
    auto connection = Open(options);
    ASSERT_TRUE(connection);
    auto rows = Numbered(1, 20'010);
    for (auto& row : rows) row.second = "ok";
    rows[9].second = "too long";
    InsertRows(*connection, "staff", rows);
    ASSERT_TRUE(connection->Flush().ok());
    const auto late = connection->TakeLateRefusals();
    EXPECT_EQ(TagsOf(late), std::set<std::uint64_t>{10});
  }
  EXPECT_EQ(counts.rows_copied, 20'009u);
  // The refused COPY (10,000 rows), the 9 before the refused row again, then every row once.
  EXPECT_EQ(counts.rows_sent, 10'000u + 9 + 20'000);
  EXPECT_EQ(counts.copies_refused, 1u);
  EXPECT_LT(counts.copies, 100u);  // not COPYs of a few rows to the end
}

TEST_F(PostgresCopyTest, ARefusalWithoutALineIsFoundByHalving) {
  // A deferred key is checked at the COPY's commit, where the server names no line.
  Run("DROP TABLE IF EXISTS late_key; CREATE TABLE late_key (id int UNIQUE DEFERRABLE "
      "INITIALLY DEFERRED, code varchar(5))");
  CopyCounts counts;
  {
    CopyOptions options;
    options.rows_per_batch = 64;
    options.totals = &counts;
    auto connection = Open(options);
    ASSERT_TRUE(connection);
    auto rows = Numbered(1, 64);
    rows[40].first = 3;  // row 41 repeats the key of row 3
    InsertRows(*connection, "late_key", rows);
    ASSERT_TRUE(connection->Flush().ok());
    const auto late = connection->TakeLateRefusals();
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].tag, 3u);
    EXPECT_NE(late[0].status.description().find("[23505]"), std::string::npos)
        << late[0].status.description();
    EXPECT_EQ(Rows(*connection,
                   "select count(*), max(case when id = 3 then code end) from "
                   "late_key"),
              std::vector<std::string>{"63|c3"});
  }
  EXPECT_GT(counts.copies_refused, 4u);  // 64, 32, 16, 8, 4, 2, 1 rows
  Run("DROP TABLE late_key");
}

TEST_F(PostgresCopyTest, ValuesReadBackAsTheOdbcPathStoresThem) {
  const std::vector<std::vector<Value>> rows = {
      {Value::Integer(1), Value::Text("a\tb"), Value::Decimal(152050, 2), Value::Date({2001, 2, 3}),
       Value::DateTime({1999, 12, 31}, {23, 59, 58, 125}), Value::Double(0.1), Value::Boolean(true),
       Value::Text("Mül€ \\ line\nnext")},
      {Value::Integer(2), Value::Null(), Value::Integer(7), Value::Text("13/02/2001"),
       Value::Date({1900, 1, 1}), Value::Integer(3), Value::Integer(0), Value::Date({2001, 2, 3})},
      {Value::Integer(3), Value::Text("x  "), Value::Text("12.345"), Value::Null(), Value::Null(),
       Value::Double(1e20), Value::Null(), Value::Boolean(false)},
  };
  std::map<bool, std::vector<std::string>> stored;
  for (const bool copy : {true, false}) {
    Run("DELETE FROM staff");
    auto connection = Open({}, copy);
    ASSERT_TRUE(connection);
    auto columns = connection->TableColumns("staff");
    ASSERT_TRUE(columns.ok());
    const std::vector<int> assigned = {0, 1, 2, 3, 4, 5, 6, 7};
    for (std::size_t r = 0; r < rows.size(); ++r) {
      std::vector<const Value*> values;
      for (const Value& v : rows[r]) values.push_back(&v);
      ASSERT_TRUE(connection->Insert("staff", *columns, assigned, values, r + 1).ok());
    }
    ASSERT_TRUE(connection->Flush().ok());
    EXPECT_TRUE(connection->TakeLateRefusals().empty());
    stored[copy] = Rows(*connection, "select * from staff order by id");
  }
  ASSERT_EQ(stored[true].size(), 3u);
  EXPECT_EQ(stored[true], stored[false]);
  EXPECT_EQ(stored[true][1].substr(0, 20), "2|<null>|7|13/02/200");  // dates read day first
}

TEST_F(PostgresCopyTest, ABatchLostWithTheConnectionIsSentAgainOnce) {
  CopyFaults faults;
  faults.drop_before_copy = 2;
  CopyCounts counts;
  {
    CopyOptions options;
    options.rows_per_batch = 10;
    options.faults = &faults;
    options.totals = &counts;
    auto connection = Open(options);
    ASSERT_TRUE(connection);
    InsertRows(*connection, "staff", Numbered(1, 35));
    ASSERT_TRUE(connection->Flush().ok());
    EXPECT_TRUE(connection->TakeLateRefusals().empty());
    EXPECT_EQ(Rows(*connection, "select count(*), count(distinct id) from staff"),
              std::vector<std::string>{"35|35"});
  }
  EXPECT_EQ(counts.reconnects, 1u);
}

TEST_F(PostgresCopyTest, ASessionEndedInTheMiddleOfACopyIsSentAgainOnce) {
  CopyFaults faults;
  faults.drop_during_copy = 3;
  CopyCounts counts;
  {
    CopyOptions options;
    options.rows_per_batch = 10;
    options.faults = &faults;
    options.totals = &counts;
    auto connection = Open(options);
    ASSERT_TRUE(connection);
    InsertRows(*connection, "staff", Numbered(1, 35));
    ASSERT_TRUE(connection->Flush().ok());
    EXPECT_TRUE(connection->TakeLateRefusals().empty());
  }
  auto check = Open({}, false);
  ASSERT_TRUE(check);
  EXPECT_EQ(Rows(*check, "select count(*), count(distinct id) from staff"),
            std::vector<std::string>{"35|35"});
  EXPECT_EQ(counts.reconnects, 1u);
}

TEST_F(PostgresCopyTest, ABatchWhoseAnswerWasLostIsReportedLostNotSentTwice) {
  CopyFaults faults;
  faults.lose_answer_of_copy = 2;
  CopyOptions options;
  options.rows_per_batch = 10;
  options.background_sends = false;  // the second COPY holds rows 11 to 20
  options.faults = &faults;
  auto connection = Open(options);
  ASSERT_TRUE(connection);
  InsertRows(*connection, "staff", Numbered(1, 35));
  ASSERT_TRUE(connection->Flush().ok());
  const auto late = connection->TakeLateRefusals();
  std::set<std::uint64_t> expected;
  for (std::uint64_t id = 11; id <= 20; ++id) expected.insert(id);
  EXPECT_EQ(TagsOf(late), expected);
  ASSERT_FALSE(late.empty());
  EXPECT_NE(late[0].status.description().find("unknown"), std::string::npos)
      << late[0].status.description();
  // The seam lost only the answer: the batch is there, once, and the ones after it too.
  EXPECT_EQ(Rows(*connection, "select count(*), count(distinct id) from staff"),
            std::vector<std::string>{"35|35"});
}

TEST_F(PostgresCopyTest, AServerThatDoesNotComeBackStopsWithAStorageFailure) {
  CopyFaults faults;
  faults.drop_before_copy = 2;
  faults.server_gone = true;
  CopyOptions options;
  options.rows_per_batch = 10;
  options.background_sends = false;  // the rows accepted are counted exactly
  options.faults = &faults;
  auto connection = Open(options);
  ASSERT_TRUE(connection);
  const auto [stopped, accepted] = InsertIdsUntilStopped(*connection, 35);
  EXPECT_EQ(accepted, 20u);  // the 20th sent the second batch, which found the server gone
  EXPECT_EQ(stopped.kind(), ErrorKind::kStorage);
  EXPECT_NE(stopped.description().find("PostgreSQL target (server "), std::string::npos)
      << stopped.description();
  EXPECT_EQ(connection->Flush().kind(), ErrorKind::kStorage);
  std::set<std::uint64_t> expected;
  for (std::uint64_t id = 11; id <= 20; ++id) expected.insert(id);
  EXPECT_EQ(TagsOf(connection->TakeLateRefusals()), expected);
  auto check = Open({}, false);
  ASSERT_TRUE(check);
  EXPECT_EQ(Rows(*check, "select count(*) from staff"), std::vector<std::string>{"10"});
}

// The sending thread: the same table, the same refusals in the same order and the same counts as
// each batch sent before the next row is taken, and a lost connection while a batch is in flight.

struct CopyRun {
  std::vector<std::string> table;
  std::vector<std::pair<std::uint64_t, std::string>> refusals;  // in the order listed
  std::uint64_t rows_copied = 0;
};

TEST_F(PostgresCopyTest, BothWaysOfSendingStoreAndRefuseTheSameRowsInOrder) {
  auto rows = Numbered(1, 3000);
  for (std::size_t i = 40; i < rows.size(); i += 97) rows[i].second = "too long";
  rows[700].first = 12;   // a repeated key, refused with its own message
  rows[701].first = 701;  // a row after it keeps its own key
  std::map<bool, CopyRun> runs;
  for (const bool background : {true, false}) {
    Run("DELETE FROM staff");
    CopyCounts counts;
    CopyRun& run = runs[background];
    {
      CopyOptions options;
      options.rows_per_batch = 400;  // many batches, several COPYs each after a refusal
      options.background_sends = background;
      options.totals = &counts;
      auto connection = Open(options);
      ASSERT_TRUE(connection);
      InsertRows(*connection, "staff", rows);
      ASSERT_TRUE(connection->Flush().ok());
      for (const auto& refusal : connection->TakeLateRefusals()) {
        run.refusals.emplace_back(refusal.tag, refusal.status.description());
      }
      run.table = Rows(*connection, "select * from staff order by id");
    }
    run.rows_copied = counts.rows_copied;
  }
  const CopyRun& threaded = runs[true];
  ASSERT_EQ(threaded.refusals.size(), 32u);  // 31 texts too long and the repeated key
  EXPECT_EQ(threaded.refusals, runs[false].refusals);
  std::vector<std::uint64_t> in_row_order;  // the tags are the ids: the repeated key's is 12
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i == 700 || rows[i].second == "too long") {
      in_row_order.push_back(static_cast<std::uint64_t>(rows[i].first));
    }
  }
  std::vector<std::uint64_t> listed;
  for (const auto& refusal : threaded.refusals) listed.push_back(refusal.first);
  EXPECT_EQ(listed, in_row_order);
  EXPECT_EQ(threaded.table, runs[false].table);
  EXPECT_EQ(threaded.table.size(), 3000u - 32);
  EXPECT_EQ(threaded.rows_copied, runs[false].rows_copied);
  EXPECT_EQ(threaded.rows_copied, 3000u - 32);
}

TEST_F(PostgresCopyTest, RowsTakenWhileABatchIsInFlightKeepTheirOrderAndRefusals) {
  const std::string pause = (folder_.path() / "pause").string();
  CopyFaults faults;
  faults.pause_before_copy = 1;
  faults.pause_file = pause;
  faults.rows_per_copy = 10;
  CopyOptions options;
  options.faults = &faults;
  auto connection = Open(options);
  ASSERT_TRUE(connection);
  auto rows = Numbered(1, 30);
  rows[3].second = "long!!";  // in the batch held back
  rows[14].first = 2;         // in the batch taken meanwhile: row 2's key again
  rows[24].second = "long!!";
  // The first batch goes to the sender, which waits before its COPY; the next nine rows are
  // still taken.
  InsertRows(*connection, "staff", {rows.begin(), rows.begin() + 19});
  for (int waited = 0; waited < 1000 && !std::filesystem::exists(pause); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(pause)) << "the sender never reached the first COPY";
  auto seen = Open({}, false);
  ASSERT_TRUE(seen);
  EXPECT_EQ(Rows(*seen, "select count(*) from staff"), std::vector<std::string>{"0"});
  std::filesystem::remove(pause);
  InsertRows(*connection, "staff", {rows.begin() + 19, rows.end()});
  ASSERT_TRUE(connection->Flush().ok());
  const auto late = connection->TakeLateRefusals();
  ASSERT_EQ(late.size(), 3u);
  EXPECT_EQ(late[0].tag, 4u);
  EXPECT_EQ(late[1].tag, 2u);  // the tag of the row repeating key 2
  EXPECT_NE(late[1].status.description().find("[23505]"), std::string::npos);
  EXPECT_EQ(late[2].tag, 25u);
  EXPECT_EQ(Rows(*connection, "select count(*), max(case when id = 2 then code end) from staff"),
            std::vector<std::string>{"27|c2"});
}

TEST_F(PostgresCopyTest, ASessionEndedWhileTheCopierIsAheadLosesNoRowAndSavesNoneTwice) {
  CopyFaults faults;
  faults.drop_during_copy = 2;
  faults.lose_answer_of_copy = 4;
  faults.rows_per_copy = 10;
  CopyCounts counts;
  std::vector<recordset::LateRefusal> late;
  {
    CopyOptions options;
    options.faults = &faults;
    options.totals = &counts;
    auto connection = Open(options);
    ASSERT_TRUE(connection);
    InsertRows(*connection, "staff", Numbered(1, 55));
    ASSERT_TRUE(connection->Flush().ok());
    late = connection->TakeLateRefusals();
  }
  // COPY 2 (rows 11 to 20) went again as COPY 3 after the session ended; COPY 4 (rows 21 to
  // 30) was saved, but its answer was lost: its rows are reported lost with that reason, not
  // sent again.
  std::set<std::uint64_t> expected;
  for (std::uint64_t id = 21; id <= 30; ++id) expected.insert(id);
  EXPECT_EQ(TagsOf(late), expected);
  ASSERT_EQ(late.size(), 10u);
  EXPECT_NE(late[0].status.description().find("unknown"), std::string::npos);
  EXPECT_EQ(counts.reconnects, 2u);
  auto check = Open({}, false);
  ASSERT_TRUE(check);
  EXPECT_EQ(Rows(*check, "select count(*), count(distinct id) from staff"),
            std::vector<std::string>{"55|55"});
}

TEST_F(PostgresCopyTest, AServerGoneWhileTheCopierIsAheadStopsAndListsEveryRowTaken) {
  CopyFaults faults;
  faults.drop_before_copy = 2;
  faults.server_gone = true;
  CopyOptions options;
  options.rows_per_batch = 10;  // 5 a batch with the sending thread
  options.reconnect_wait = std::chrono::milliseconds(300);
  options.faults = &faults;
  auto connection = Open(options);
  ASSERT_TRUE(connection);
  const auto [stopped, accepted] = InsertIdsUntilStopped(*connection, 100'000);
  ASSERT_EQ(stopped.kind(), ErrorKind::kStorage) << stopped.ToString();
  EXPECT_NE(stopped.description().find("did not come back"), std::string::npos);
  EXPECT_GE(accepted, 10u);  // the second batch was handed over before the stop was known
  EXPECT_EQ(connection->Flush().kind(), ErrorKind::kStorage);
  // Every row taken after the first batch is listed once, in order: none is in the table.
  const auto late = connection->TakeLateRefusals();
  ASSERT_EQ(late.size(), accepted - 5);
  for (std::size_t i = 0; i < late.size(); ++i) EXPECT_EQ(late[i].tag, i + 6);
  auto check = Open({}, false);
  ASSERT_TRUE(check);
  EXPECT_EQ(Rows(*check, "select count(*) from staff"), std::vector<std::string>{"5"});
}

}  // namespace
}  // namespace zuna::sql::postgres
