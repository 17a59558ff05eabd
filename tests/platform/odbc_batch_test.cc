// Rows sent through ODBC as parameter arrays (Debian's SQLite ODBC driver): refused rows are
// lost alone and named by their tags, values of other types than their columns' and rows read
// back before their batch was due all arrive as saved.
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

// Each parameter takes its values as its column's type asks: a number into a text column as its
// digits, a date into a datetime column at midnight. The array stays whole, and each value is
// stored as the embedded engine stores it. A value only the database can read as its column's
// type (a text date) keeps its own type, and the array is sent before it.
TEST_F(OdbcBatchTest, ValuesTakeTheirColumnsTypeAndKeepTheArrayWhole) {
  auto connection = Connect(100);
  ASSERT_TRUE(connection);
  ASSERT_TRUE(connection->Execute("CREATE TABLE notes (code varchar(10), born datetime)").ok());
  auto opened = OpenSqlRecordset(connection, "select * from notes");
  ASSERT_TRUE(opened.ok());
  std::unique_ptr<Recordset> rs = std::move(opened).value();
  const std::vector<std::pair<Value, Value>> rows = {
      {Value::Text("a"), Value::Date({2001, 2, 3})},
      {Value::Integer(42), Value::DateTime({2002, 3, 4}, {5, 6, 7, 0})},
      {Value::Decimal(15205, 1), Value::Null()},
      {Value::Boolean(true), Value::Date({1900, 1, 1})},
      {Value::Text("x"), Value::Text("05/06/2007")},
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
            (std::vector<std::string>{"a|03/02/2001", "42|04/03/2002 05:06:07", "1520.5|<null>",
                                      "True|01/01/1900", "x|05/06/2007", "<null>|05/04/2003"}));
  const OdbcSendCounts& counts = connection->send_counts();
  EXPECT_EQ(counts.arrays, 1u);
  EXPECT_EQ(counts.rows_in_arrays, 4u);
  EXPECT_EQ(counts.rows_alone, 2u);
}

// The kind each parameter is bound with, by its column's type and the value.
TEST(ParameterKindTest, EachParameterTakesItsColumnsType) {
  using Kind = ParameterBatch::Kind;
  using Column = ColumnType::Kind;
  ParameterBatch batch({Column::kText, Column::kDateTime, Column::kInteger, Column::kFloat,
                        Column::kDecimal, Column::kDate, Column::kOther});
  const std::vector<int> assigned = {0, 1, 2, 3, 4, 5, 6};
  const auto add = [&](const std::vector<Value>& row) {
    std::vector<const Value*> values;
    for (const Value& v : row) values.push_back(&v);
    return batch.Add(assigned, values, 1);
  };
  ASSERT_TRUE(
      add({Value::Integer(1), Value::Date({2001, 2, 3}), Value::Boolean(true), Value::Integer(7),
           Value::Integer(3), Value::Date({2001, 2, 3}), Value::Double(1.5)}));
  EXPECT_EQ(batch.kind(0), Kind::kText);
  EXPECT_EQ(batch.kind(1), Kind::kTimestamp);
  EXPECT_EQ(batch.kind(2), Kind::kInteger);
  EXPECT_EQ(batch.kind(3), Kind::kDouble);
  EXPECT_EQ(batch.kind(4), Kind::kText);
  EXPECT_EQ(batch.kind(5), Kind::kDate);
  EXPECT_EQ(batch.kind(6), Kind::kDouble);  // a type the tool does not know: the value's own
  // Values of other kinds that convert without a rule of the database's join the batch.
  EXPECT_TRUE(add({Value::Date({1999, 1, 2}), Value::DateTime({2001, 2, 3}, {4, 5, 6, 7}),
                   Value::Decimal(12, 0), Value::Double(2.5), Value::Decimal(1234, 2),
                   Value::Null(), Value::Null()}));
  // Those the database must read by its own rules do not.
  for (std::size_t column = 0; column < assigned.size(); ++column) {
    std::vector<Value> row(assigned.size());
    row[column] = std::vector<Value>{Value::Binary("b"),     Value::Text("05/06/2007"),
                                     Value::Decimal(125, 1), Value::Decimal(125, 1),
                                     Value::Double(0.5),     Value::DateTime({1, 1, 1}, {}),
                                     Value::Text("1.5")}[column];
    EXPECT_FALSE(add(row)) << "column " << column;
  }
  EXPECT_EQ(batch.rows(), 2u);
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

}  // namespace
}  // namespace zuna::sql::odbc
