// The target's values read through the cursor's lent columns: every stored value has the same
// canonical form as when the cursor builds a Value of it, on the embedded engine's own buffers
// and through the default lending of any other cursor's Values.
#include "verify/canonical_view.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <bit>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/sql/sqlite/sqlite_connection.h"
#include "platform/sql/sqlite/sqlite_cursor.h"
#include "tests/support/dbf_builder.h"

namespace zuna::verify {
namespace {

using sql::ColumnView;

constexpr std::string_view kTable =
    "create table stored (txt varchar(10), fix char(5), d date, dt datetime, sdt smalldatetime, "
    "amount decimal(10,2), n int, flag bit, f float)";

// Each row sets one column, the others stay NULL.
const std::vector<std::string> kRows = {
    // Texts: empty, blanks, non-ASCII within 10 characters but not 10 bytes, blanks cut, too
    // long, a number stored in a text column.
    "insert into stored (txt, fix) values ('', '')",
    "insert into stored (txt, fix) values ('   ', 'ab')",
    "insert into stored (txt, fix) values ('héllo wörl', 'çé')",
    "insert into stored (txt, fix) values ('abcdefghij   ', 'abcde  ')",
    "insert into stored (txt, fix) values ('abcdefghijk', 'abcdef')",
    "insert into stored (txt, fix) values (12, x'4142')",
    // Dates and datetimes in the engine's own form and in every other.
    "insert into stored (d, dt, sdt) values ('2023-01-05', '2023-01-05', '2023-01-05')",
    "insert into stored (d, dt, sdt) values ('2023-01-05 10:11:12', '2023-01-05 10:11:12', "
    "'2023-01-05 10:11:12')",
    "insert into stored (d, dt, sdt) values ('2023-01-05 10:11:12.345', "
    "'2023-01-05 10:11:12.345', '2023-01-05 10:11:12.007')",
    "insert into stored (d, dt, sdt) values ('05/01/2023', '05/01/2023 10:11', '5-1-23')",
    "insert into stored (d, dt, sdt) values ('2023-1-5', '2023-01-05T10:11:12', ' 2023-01-05')",
    "insert into stored (d, dt, sdt) values ('2023-02-30', '2024-02-29 23:59:59', "
    "'2023-01-05 24:00:00')",
    "insert into stored (d, dt, sdt) values ('0000-01-01', '1700-01-01 00:00:00', "
    "'1899-12-31')",
    "insert into stored (d, dt, sdt) values ('9999-12-31', '2023-01-05 10:11:12.5', "
    "'2023-01-05 10:11')",
    "insert into stored (d, dt, sdt) values ('someday', '', 45000)",
    "insert into stored (d, dt, sdt) values ('2023-01-05x', '2023-01-05 10:11:12.34x', "
    "'2023/01/05')",
    // Decimals at the column's scale, rounded, out of range, as text; numbers of every kind.
    "insert into stored (amount, n, flag, f) values (12.345, 7, 1, 0.1)",
    "insert into stored (amount, n, flag, f) values (1200, -2147483648, 0, 1e300)",
    "insert into stored (amount, n, flag, f) values ('12.50', 2147483648, 2, -0.0)",
    "insert into stored (amount, n, flag, f) values (99999999.995, '12', 'true', '1.5')",
    "insert into stored (amount, n, flag, f) values (-0.005, 1.9, 'maybe', 'x')",
    "insert into stored (amount, n, flag, f) values ('abc', '', '', '')",
    // Doubles half-way at the column's scale, or nearly: each rounds as its ten-decimal text.
    "insert into stored (amount) values (1.005)",
    "insert into stored (amount) values (-1.005)",
    "insert into stored (amount) values (2.675)",
    "insert into stored (amount) values (0.125)",
    "insert into stored (amount) values (-0.125)",
    "insert into stored (amount) values (0.1 + 0.2)",
    "insert into stored (amount) values (0.00499999999)",
    "insert into stored (amount) values (0.000000000049)",
    "insert into stored (amount) values (-0.000000000001)",
    "insert into stored (amount) values (12345678.99)",
    "insert into stored (amount) values (-99999999.99)",
    "insert into stored (amount) values (100000000.0)",
    "insert into stored (amount) values (1e20)",
    "insert into stored (amount) values (9007199254740993.0)",
    // Whole amounts, which the engine stores as integers, up to the column's precision.
    "insert into stored (amount) values (0)",
    "insert into stored (amount) values (-7)",
    "insert into stored (amount) values (99999999)",
    "insert into stored (amount) values (-99999999)",
    "insert into stored (amount) values (100000000)",
    "insert into stored (amount) values (-9223372036854775808)",
    "insert into stored (amount) values (9223372036854775807)",
};

std::string Shown(CanonicalState state, const std::string& text) {
  return DisplayCanonical({state, text});
}

// A view's canonical form and its Value's, each shown as the report shows it.
struct BothForms {
  std::string through_view;
  std::string through_value;
};
BothForms ShownBothWays(const ColumnView& view, const Value& value, const sql::ColumnType& type,
                        Value& scratch) {
  std::string view_text, value_text;
  const CanonicalState a = AppendStoredView(view, type.kind, type, view_text, scratch);
  const CanonicalState b = AppendStoredCanonical(value, type, value_text);
  return {Shown(a, view_text), Shown(b, value_text)};
}

class StoredViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto file = folder_.path() / "stored.db";
    std::ofstream{file};  // an empty file is an empty database
    auto opened = sql::sqlite::SqliteConnection::OpenFile(file);
    ASSERT_TRUE(opened.ok()) << opened.status().ToString();
    connection_ = *opened;
    ASSERT_TRUE(connection_->Execute(kTable).ok());
    for (const std::string& row : kRows) {
      const Status inserted = connection_->Execute(row);
      ASSERT_TRUE(inserted.ok()) << row << ": " << inserted.ToString();
    }
    auto columns = connection_->TableColumns("stored");
    ASSERT_TRUE(columns.ok());
    columns_ = *columns;
  }

  // Every column of every row in canonical form, through the Values Next builds.
  std::vector<std::vector<std::string>> ThroughValues() {
    auto cursor = connection_->Query("select * from stored");
    EXPECT_TRUE(cursor.ok());
    std::vector<std::vector<std::string>> rows;
    std::vector<Value> row;
    while ((*cursor)->Next(row).value()) {
      rows.emplace_back();
      for (std::size_t i = 0; i < row.size(); ++i) {
        std::string out;
        const CanonicalState state = AppendStoredCanonical(row[i], columns_[i].type, out);
        rows.back().push_back(Shown(state, out));
      }
    }
    return rows;
  }

  // The same through the columns the cursor lends.
  std::vector<std::vector<std::string>> ThroughViews() {
    auto cursor = connection_->Query("select * from stored");
    EXPECT_TRUE(cursor.ok());
    return ThroughViews(**cursor);
  }
  std::vector<std::vector<std::string>> ThroughViews(sql::Cursor& cursor) {
    std::vector<std::vector<std::string>> rows;
    Value scratch;
    while (cursor.NextView().value()) {
      rows.emplace_back();
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        std::string out = "kept ";  // appended to, never replaced
        const CanonicalState state =
            AppendStoredView(cursor.View(static_cast<int>(i)), cursor.columns()[i].type.kind,
                             columns_[i].type, out, scratch);
        EXPECT_TRUE(out.starts_with("kept ")) << out;
        rows.back().push_back(Shown(state, out.substr(5)));
      }
    }
    return rows;
  }

  testkit::TempFolder folder_;
  std::shared_ptr<sql::sqlite::SqliteConnection> connection_;
  std::vector<sql::ColumnInfo> columns_;
};

TEST_F(StoredViewTest, EveryStoredValueHasTheSameCanonicalFormThroughTheEnginesBuffers) {
  const auto values = ThroughValues();
  const auto views = ThroughViews();
  ASSERT_EQ(values.size(), kRows.size());
  ASSERT_EQ(views.size(), kRows.size());
  for (std::size_t row = 0; row < values.size(); ++row) {
    for (std::size_t column = 0; column < columns_.size(); ++column) {
      EXPECT_EQ(views[row][column], values[row][column])
          << kRows[row] << ", column " << columns_[column].name;
    }
  }
}

TEST_F(StoredViewTest, AConnectionWithAMutexLendsTheSameColumns) {
  // A connection opened for serialized access reads its columns through the statement's own
  // calls: the same views.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((folder_.path() / "stored.db").c_str(), &db,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr),
            SQLITE_OK);
  ASSERT_NE(sqlite3_db_mutex(db), nullptr);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "select * from stored", -1, &stmt, nullptr), SQLITE_OK);
  std::vector<std::vector<std::string>> serialized;
  {
    sql::sqlite::SqliteCursor cursor(stmt, db);
    serialized = ThroughViews(cursor);
  }
  sqlite3_close(db);
  EXPECT_EQ(serialized, ThroughViews());
  EXPECT_EQ(serialized, ThroughValues());
}

TEST_F(StoredViewTest, StoredDatesAndTextsReadAsBefore) {
  // What the comparison has always made of these stored values, taken now from the engine's
  // buffers: the ISO texts as they are, the others read as dates or shown as foreign.
  const auto views = ThroughViews();
  ASSERT_EQ(views.size(), kRows.size());
  const auto at = [&](std::size_t row, std::size_t column) { return views[row][column]; };
  EXPECT_EQ(at(0, 0), "''");
  EXPECT_EQ(at(0, 1), "'     '");
  EXPECT_EQ(at(2, 0), "'héllo wörl'");
  EXPECT_EQ(at(2, 1), "'çé   '");
  EXPECT_EQ(at(3, 0), "'abcdefghij'");
  EXPECT_EQ(at(4, 0), "(not of the column's type: 'abcdefghijk')");
  EXPECT_EQ(at(1, 2), "NULL");
  EXPECT_EQ(at(6, 2), "'2023-01-05'");
  EXPECT_EQ(at(6, 3), "'2023-01-05 00:00:00.000'");
  EXPECT_EQ(at(7, 2), "'2023-01-05'");  // a date column keeps the day only
  EXPECT_EQ(at(7, 3), "'2023-01-05 10:11:12.000'");
  EXPECT_EQ(at(8, 3), "'2023-01-05 10:11:12.345'");
  EXPECT_EQ(at(8, 4), "'2023-01-05 10:11:12.007'");
  EXPECT_EQ(at(9, 2), "'2023-01-05'");  // day first
  EXPECT_EQ(at(9, 3), "'2023-01-05 10:11:00.000'");
  EXPECT_EQ(at(10, 2), "'2023-01-05'");
  EXPECT_EQ(at(10, 3), "'2023-01-05 10:11:12.000'");
  EXPECT_EQ(at(11, 2), "(not of the column's type: '2023-02-30')");
  EXPECT_EQ(at(11, 3), "'2024-02-29 23:59:59.000'");
  // A day before the column's years is read as a date all the same, and shown as one.
  EXPECT_EQ(at(12, 3), "(not of the column's type: '01/01/1700')");
  EXPECT_EQ(at(13, 3), "'2023-01-05 10:11:12.500'");
  EXPECT_EQ(at(15, 2), "(not of the column's type: '2023-01-05x')");
  EXPECT_EQ(at(16, 5), "'12.35'");
  EXPECT_EQ(at(18, 5), "'12.50'");
  EXPECT_EQ(at(17, 5), "'1200.00'");
  EXPECT_EQ(at(22, 5), "'1.01'");  // 1.00499999999999989... reads as 1.0050000000
  EXPECT_EQ(at(23, 5), "'-1.01'");
  EXPECT_EQ(at(25, 5), "'0.13'");
  EXPECT_EQ(at(27, 5), "'0.30'");
  EXPECT_EQ(at(28, 5), "'0.01'");  // its ten-decimal text is 0.0050000000
  EXPECT_EQ(at(30, 5), "'0.00'");
  EXPECT_EQ(at(31, 5), "'12345678.99'");
  EXPECT_EQ(at(32, 5), "'-99999999.99'");
  EXPECT_EQ(at(33, 5), "(not of the column's type: '100000000')");
  EXPECT_EQ(at(36, 5), "'0.00'");
  EXPECT_EQ(at(37, 5), "'-7.00'");
  EXPECT_EQ(at(38, 5), "'99999999.00'");
  EXPECT_EQ(at(39, 5), "'-99999999.00'");
  EXPECT_EQ(at(40, 5), "(not of the column's type: '100000000')");
}

TEST(DoubleViewTest, StoredDoublesGiveTheSameDecimalsAsTheirTenDecimalText) {
  // Decimals as doubles, exact or one step off, half-way at the scale or next to it, and doubles
  // of any kind: each must be written as the Value of the double is.
  std::mt19937_64 random(18);
  Value scratch;
  for (const char* declared : {"decimal(10,2)", "decimal(8,0)", "numeric(18,4)", "decimal(38,10)",
                               "decimal(5,3)", "money"}) {
    const sql::ColumnType type = sql::ParseColumnType(declared);
    for (int i = 0; i < 20000; ++i) {
      const auto digits = static_cast<std::int64_t>(random() % 20000000000ULL) - 10000000000LL;
      double d = static_cast<double>(digits) / std::pow(10.0, static_cast<int>(random() % 12));
      switch (random() % 4) {
        case 0:
          d = std::nextafter(d, 1e300);
          break;
        case 1:
          d = std::nextafter(d, -1e300);
          break;
        case 2:
          d = std::bit_cast<double>(random());
          break;
        default:
          break;
      }
      ColumnView view;
      view.kind = ColumnView::Kind::kDouble;
      view.number = d;
      const BothForms shown = ShownBothWays(view, Value::Double(d), type, scratch);
      ASSERT_EQ(shown.through_view, shown.through_value) << declared << " " << d;
    }
  }
}

TEST(IntegerViewTest, StoredIntegersGiveTheSameFormAsTheirValues) {
  std::mt19937_64 random(1500);
  Value scratch;
  for (const char* declared : {"decimal(10,2)", "decimal(8,0)", "numeric(38,4)", "decimal(5,5)",
                               "int", "smallint", "tinyint", "bigint", "bit", "float", "money"}) {
    const sql::ColumnType type = sql::ParseColumnType(declared);
    for (int i = 0; i < 20000; ++i) {
      auto n = static_cast<std::int64_t>(random());
      n >>= random() % 64;  // every magnitude, both signs
      ColumnView view;
      view.kind = ColumnView::Kind::kInteger;
      view.integer = n;
      const BothForms shown = ShownBothWays(view, Value::Integer(n), type, scratch);
      ASSERT_EQ(shown.through_view, shown.through_value) << declared << " " << n;
    }
  }
}

// A cursor that only builds Values, as the ODBC targets' do.
class ValueCursor final : public sql::Cursor {
 public:
  explicit ValueCursor(std::vector<std::vector<Value>> rows) : rows_(std::move(rows)) {
    for (const char* declared : {"varchar(4)", "datetime", "decimal(6,2)"}) {
      columns_.push_back({declared, declared, sql::ParseColumnType(declared)});
    }
  }
  const std::vector<sql::ColumnInfo>& columns() const override { return columns_; }
  Result<bool> Next(std::vector<Value>& row) override {
    if (next_ == rows_.size()) return false;
    row = rows_[next_++];
    return true;
  }

 private:
  std::vector<sql::ColumnInfo> columns_;
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

TEST(ValueCursorViewTest, AnyCursorLendsItsValuesAsTheyAre) {
  const std::vector<std::vector<Value>> rows = {
      {Value::Text("ab  "), Value::Text("2023-01-05 10:11:12"), Value::Double(12.345)},
      {Value(), Value::DateTime({2023, 1, 5}, {10, 11, 12, 0}), Value::Text("abc")},
      {Value::Text("abcdef"), Value::Text("05/01/2023"), Value::Decimal(1250, 2)},
  };
  ValueCursor cursor(rows);
  Value scratch;
  std::vector<std::vector<std::string>> shown;
  while (cursor.NextView().value()) {
    shown.emplace_back();
    for (int i = 0; i < 3; ++i) {
      const ColumnView view = cursor.View(i);
      ASSERT_EQ(view.kind, ColumnView::Kind::kValue);
      const auto& type = cursor.columns()[static_cast<std::size_t>(i)].type;
      const BothForms both = ShownBothWays(view, *view.value, type, scratch);
      EXPECT_EQ(both.through_view, both.through_value);
      shown.back().push_back(both.through_view);
    }
  }
  ASSERT_EQ(shown.size(), rows.size());
  EXPECT_EQ(shown[0], (std::vector<std::string>{"'ab  '", "'2023-01-05 10:11:12.000'", "'12.35'"}));
  EXPECT_EQ(shown[1][0], "NULL");
  EXPECT_EQ(shown[1][2], "(not of the column's type: 'abc')");
  EXPECT_EQ(shown[2][0], "(not of the column's type: 'abcdef')");
  EXPECT_EQ(shown[2][1], "'2023-01-05 00:00:00.000'");
}

}  // namespace
}  // namespace zuna::verify
