// The texts of dates as SQL Server reads them and the embedded engine stores them, and the exact
// decimals of numeric columns.
#include <gtest/gtest.h>

#include "platform/sql/date_text.h"
#include "platform/sql/decimal.h"

namespace zuna::sql {
namespace {

struct Parsed {
  bool ok;
  std::string stored;  // the date and time as stored, when ok
  friend bool operator==(const Parsed&, const Parsed&) = default;
};

Parsed Parse(std::string_view text) {
  CivilDate date;
  CivilTime time;
  if (!ParseDateText(text, date, time)) return {false, ""};
  return {true, FormatStoredDateTime(date, time)};
}

TEST(DateTextTest, DayFirstAndIsoTextsAreRead) {
  EXPECT_EQ(Parse("01/02/1900"), (Parsed{true, "1900-02-01 00:00:00"}));
  EXPECT_EQ(Parse(" 31/12/1999 23:59 "), (Parsed{true, "1999-12-31 23:59:00"}));
  EXPECT_EQ(Parse("2024-02-29T08:30:15.250"), (Parsed{true, "2024-02-29 08:30:15.250"}));
  EXPECT_EQ(Parse("1/2/49"), (Parsed{true, "2049-02-01 00:00:00"}));  // two-digit years
  EXPECT_EQ(Parse("1/2/50"), (Parsed{true, "1950-02-01 00:00:00"}));
}

TEST(DateTextTest, TextsThatNameNoDayAreRefused) {
  for (const std::string_view text :
       {"", "29/02/2023", "32/01/2000", "01/13/2000", "01/01/200", "2000-01", "01/01/2000 24:00",
        "01/01/2000 12", "01/01/2000 12:60", "2000-01-01x"}) {
    EXPECT_FALSE(Parse(text).ok) << text;
  }
}

TEST(DateTextTest, StoredFormsHaveFixedWidths) {
  EXPECT_EQ(FormatStoredDate({7, 3, 4}), "0007-03-04");
  EXPECT_EQ(FormatStoredDateTime({2024, 1, 2}, {3, 4, 5, 0}), "2024-01-02 03:04:05");
  EXPECT_EQ(FormatStoredDateTime({2024, 1, 2}, {3, 4, 5, 60}), "2024-01-02 03:04:05.060");
  std::string appended = "x";
  AppendStoredDate(appended, {1999, 12, 31});
  EXPECT_EQ(appended, "x1999-12-31");
}

TEST(DecimalTest, RescalingRoundsHalfAwayFromZero) {
  Decimal d;
  ASSERT_TRUE(ParseDecimalText(" 2.345 ", d));
  EXPECT_EQ(static_cast<long long>(Rescale(d, 2)), 235);
  ASSERT_TRUE(ParseDecimalText("-2.345", d));
  EXPECT_EQ(static_cast<long long>(Rescale(d, 2)), -235);
  ASSERT_TRUE(ParseDecimalText("+12", d));
  EXPECT_EQ(static_cast<long long>(Rescale(d, 3)), 12000);
  EXPECT_EQ(DigitCount(0), 1);
  EXPECT_EQ(DigitCount(Pow10(kMaxPrecision) - 1), kMaxPrecision);
}

TEST(DecimalTest, OnlyNumbersOfUpTo38DigitsAreDecimals) {
  Decimal d;
  EXPECT_TRUE(ParseDecimalText(std::string(38, '9'), d));
  EXPECT_FALSE(ParseDecimalText(std::string(39, '9'), d));
  for (const std::string_view text : {"", "-", ".", "1.2.3", "1e5", "1,5", "12a"}) {
    EXPECT_FALSE(ParseDecimalText(text, d)) << text;
  }
  ASSERT_TRUE(ToDecimal(Value::Double(0.1), d));
  EXPECT_EQ(static_cast<long long>(d.unscaled), 1'000'000'000);
  EXPECT_EQ(d.scale, 10);
  EXPECT_FALSE(ToDecimal(Value::Double(1e30), d));
}

}  // namespace
}  // namespace zuna::sql
