// Numbers cross text boundaries (FoxPro fields, text columns, decimal columns) in the C locale's
// form, whatever locale the process runs in: the desktop program runs in the user's locale.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/base/value.h"
#include "platform/sql/column_type.h"
#include "platform/sql/sql_errors.h"
#include "tests/support/comma_decimal_locale.h"

namespace zuna {
namespace {

Result<Value> Convert(const Value& value, std::string_view declared) {
  return sql::ConvertForColumn(value, sql::ParseColumnType(declared), "column");
}

class CommaDecimalLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(locale_.active()) << locale_.error();
    // The process really writes a comma now, so a conversion bound to the locale would show.
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 12.5);
    ASSERT_STREQ(probe, "12,5");
  }

  testkit::ScopedCommaDecimalLocale locale_;
};

TEST_F(CommaDecimalLocaleTest, NumberTextsReadAPointAsTheDecimalPoint) {
  Value v;
  ASSERT_TRUE(ParseNumberText("1.5e3", v));
  EXPECT_EQ(v, Value::Double(1500));
  ASSERT_TRUE(ParseNumberText("12,5", v));  // FoxPro data written with a comma still reads
  EXPECT_EQ(v, Value::Double(12.5));
  ASSERT_TRUE(ParseNumberText("1234567890123456789.25", v));  // too long to be exact
  EXPECT_EQ(v, Value::Double(1234567890123456789.25));
  ASSERT_TRUE(ParseNumberText("12.5", v));
  EXPECT_EQ(v, Value::Decimal(125, 1));
}

TEST_F(CommaDecimalLocaleTest, DoublesGoIntoDecimalColumns) {
  const auto basic_pay = Convert(Value::Double(12.5), "decimal(10,2)");
  ASSERT_TRUE(basic_pay.ok()) << basic_pay.status().ToString();
  EXPECT_EQ(basic_pay->AsDouble(), 12.5);
  const auto rounded = Convert(Value::Double(-0.125), "decimal(5,2)");
  ASSERT_TRUE(rounded.ok()) << rounded.status().ToString();
  EXPECT_EQ(rounded->AsDouble(), -0.13);  // half away from zero, as SQL Server rounds
}

TEST_F(CommaDecimalLocaleTest, TextsGoIntoFloatColumnsAndNumbersIntoTextColumns) {
  const auto rate = Convert(Value::Text(" 12.5 "), "float");
  ASSERT_TRUE(rate.ok()) << rate.status().ToString();
  EXPECT_EQ(*rate, Value::Double(12.5));
  const auto text = Convert(Value::Double(0.25), "varchar(10)");
  ASSERT_TRUE(text.ok()) << text.status().ToString();
  EXPECT_EQ(*text, Value::Text("0.25"));
}

// The conversions themselves, in any locale: what a number is, and what is refused.
TEST(NumberTextTest, NumbersBeyondADoubleAreNoNumbersAndNeverInfinity) {
  Value v = Value::Text("unchanged");
  EXPECT_FALSE(ParseNumberText("1e999", v));
  EXPECT_FALSE(ParseNumberText("-1e999", v));
  EXPECT_FALSE(ParseNumberText("+-5", v));
  EXPECT_EQ(v, Value::Text("unchanged"));
  ASSERT_TRUE(ParseNumberText("+2.5e1", v));
  EXPECT_EQ(v, Value::Double(25));
}

TEST(NumberTextTest, FloatColumnsRefuseTextsThatAreNoFiniteNumber) {
  for (const char* text : {"1e999", "+-5", "12,5", "0x10", "", "5 5"}) {
    const auto converted = Convert(Value::Text(text), "float");
    ASSERT_FALSE(converted.ok()) << text;
    EXPECT_EQ(converted.status().number(), sql::kErrTypeConversion) << text;
  }
  const auto plus = Convert(Value::Text("+2.5"), "float");
  ASSERT_TRUE(plus.ok());
  EXPECT_EQ(*plus, Value::Double(2.5));
}

}  // namespace
}  // namespace zuna
