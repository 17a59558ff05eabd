#include "import/date_rule.h"

#include <gtest/gtest.h>

namespace zuna::transfer {
namespace {

TEST(DateRuleTest, YearTextIsTheYearOfADateAndTheLastFourCharactersOfAnythingElse) {
  EXPECT_EQ(YearText(Value::Date({1899, 12, 31})), "1899");
  EXPECT_EQ(YearText(Value::Date({899, 1, 1})), "0899");
  // The time of day would end the text form; the year is still the year.
  EXPECT_EQ(YearText(Value::DateTime({2001, 1, 2}, {12, 30, 0, 0})), "2001");
  EXPECT_EQ(YearText(Value::Text("01/01/1900")), "1900");
  EXPECT_EQ(YearText(Value::Integer(85)), "85");
  EXPECT_EQ(YearText(Value::Text("31-12-99 ")), "-99 ");
  EXPECT_EQ(YearText(Value::Text("né 1899é")), "899é");
  EXPECT_EQ(YearText(Value::Null()), "");
}

TEST(DateRuleTest, RangeIsOrdinalTextComparisonWithBothBoundsIncluded) {
  EXPECT_TRUE(YearInRange("1900"));
  EXPECT_TRUE(YearInRange("9999"));
  EXPECT_TRUE(YearInRange("2024"));
  EXPECT_FALSE(YearInRange("1899"));
  EXPECT_FALSE(YearInRange(""));
  EXPECT_FALSE(YearInRange("0899"));
  // Short texts compare whole: "85" and "5" lie in range, "1" does not.
  EXPECT_TRUE(YearInRange("85"));
  EXPECT_TRUE(YearInRange("5"));
  EXPECT_FALSE(YearInRange("1"));
  EXPECT_FALSE(YearInRange("9999 "));
}

TEST(DateRuleTest, NullIsReplacedSilentlyWithTheNullTestAndLoggedWithout) {
  const DateRuleOutcome with_test = ApplyDateRule(Value::Null(), true);
  EXPECT_TRUE(with_test.replaced);
  EXPECT_FALSE(with_test.log);
  const DateRuleOutcome without_test = ApplyDateRule(Value::Null(), false);
  EXPECT_TRUE(without_test.replaced);
  EXPECT_TRUE(without_test.log);
}

TEST(DateRuleTest, OutOfRangeDatesAreReplacedAndLogged) {
  for (bool with_test : {true, false}) {
    EXPECT_TRUE(ApplyDateRule(Value::Date({1899, 12, 31}), with_test).log);
    EXPECT_FALSE(ApplyDateRule(Value::Date({1900, 1, 1}), with_test).replaced);
    EXPECT_FALSE(ApplyDateRule(Value::Date({9999, 12, 31}), with_test).replaced);
    EXPECT_FALSE(ApplyDateRule(Value::DateTime({2001, 1, 2}, {23, 59, 59, 0}), with_test).replaced);
  }
}

}  // namespace
}  // namespace zuna::transfer
