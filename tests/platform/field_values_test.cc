// The decoders of stored FoxPro values, case by case.
#include "platform/dbf/field_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/dbf_builder.h"

namespace zuna::dbf {
namespace {

struct Decoded {
  ValueFault fault;
  std::string text;  // the value's text form, "<null>" for null
  friend bool operator==(const Decoded&, const Decoded&) = default;
};

std::ostream& operator<<(std::ostream& out, const Decoded& d) {
  return out << "{" << static_cast<int>(d.fault) << ", " << d.text << "}";
}

template <typename Decoder, typename Raw>
Decoded Decode(Decoder decoder, Raw raw) {
  Value value = Value::Text("stale");
  const ValueFault fault = decoder(raw, value);
  return {fault, value.is_null() ? "<null>" : value.ToText()};
}

constexpr ValueFault kOk = ValueFault::kNone;
constexpr ValueFault kMismatch = ValueFault::kDataTypeMismatch;
constexpr ValueFault kOverflow = ValueFault::kNumericOverflow;
constexpr ValueFault kBadDate = ValueFault::kInvalidDate;

TEST(FieldValuesTest, NumbersAreReadOnlyWhenTheirTextIsANumber) {
  const std::vector<std::pair<std::string, Decoded>> cases = {
      {"  1520", {kOk, "1520"}},
      {" -0.25", {kOk, "-0.25"}},
      {"    +5", {kOk, "5"}},
      {"    .5", {kOk, "0.5"}},
      {"    5.", {kOk, "5"}},
      {"   1e3", {kOk, "1000"}},
      {"      ", {kOk, "<null>"}},
      {std::string(6, '\0'), {kOk, "<null>"}},
      // Padding zeros beyond the digits an exact decimal keeps are no loss.
      {"00000000000000012.50", {kOk, "12.5"}},
      {"******", {kOverflow, "<null>"}},
      {"1234567890123456789", {kOverflow, "<null>"}},
      {" 1e999", {kOverflow, "<null>"}},
      {"  12AB", {kMismatch, "<null>"}},
      {" 1,500", {kMismatch, "<null>"}},
      {"  12 3", {kMismatch, "<null>"}},
      {"   - 5", {kMismatch, "<null>"}},
      {"  0x1F", {kMismatch, "<null>"}},
      {"   inf", {kMismatch, "<null>"}},
      {"   nan", {kMismatch, "<null>"}},
      {"  12**", {kMismatch, "<null>"}},
      {"     -", {kMismatch, "<null>"}},
      {"     .", {kMismatch, "<null>"}},
      {"   1e+", {kMismatch, "<null>"}},
  };
  for (const auto& [raw, expected] : cases) {
    EXPECT_EQ(Decode(DecodeNumberText, raw), expected) << "'" << raw << "'";
  }
}

TEST(FieldValuesTest, DatesMustExist) {
  const std::vector<std::pair<std::string, Decoded>> cases = {
      {"20240229", {kOk, "29/02/2024"}},  {"00010101", {kOk, "01/01/0001"}},
      {"18991231", {kOk, "31/12/1899"}},  {"        ", {kOk, "<null>"}},
      {"00000000", {kOk, "<null>"}},      {"20231345", {kBadDate, "<null>"}},
      {"20230229", {kBadDate, "<null>"}}, {"00000101", {kBadDate, "<null>"}},
      {"2023 101", {kBadDate, "<null>"}}, {"2023-1-1", {kBadDate, "<null>"}},
  };
  for (const auto& [raw, expected] : cases) {
    EXPECT_EQ(Decode(DecodeDateText, raw), expected) << "'" << raw << "'";
  }
}

TEST(FieldValuesTest, DateTimesMustLieInTheYearsOneTo9999) {
  const auto stored = [](std::int32_t day, std::int32_t ms) {
    return testkit::Le32(day) + testkit::Le32(ms);
  };
  EXPECT_EQ(Decode(DecodeDateTime, stored(2451912, 1000)), (Decoded{kOk, "02/01/2001 00:00:01"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(5373484, 0)), (Decoded{kOk, "31/12/9999"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(1721426, 0)), (Decoded{kOk, "01/01/0001"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(0, 0)), (Decoded{kOk, "<null>"}));
  EXPECT_EQ(Decode(DecodeDateTime, std::string(8, ' ')), (Decoded{kOk, "<null>"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(5373485, 0)), (Decoded{kBadDate, "<null>"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(1721425, 0)), (Decoded{kBadDate, "<null>"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(-5, 0)), (Decoded{kBadDate, "<null>"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(2451912, 86'400'000)), (Decoded{kBadDate, "<null>"}));
  EXPECT_EQ(Decode(DecodeDateTime, stored(2451912, -1)), (Decoded{kBadDate, "<null>"}));
}

TEST(FieldValuesTest, LogicalsAndDoubles) {
  EXPECT_EQ(Decode(DecodeLogical, 'y'), (Decoded{kOk, "True"}));
  EXPECT_EQ(Decode(DecodeLogical, 'N'), (Decoded{kOk, "False"}));
  for (char unknown : {'?', ' ', '\0'}) {
    EXPECT_EQ(Decode(DecodeLogical, unknown), (Decoded{kOk, "<null>"}));
  }
  EXPECT_EQ(Decode(DecodeLogical, 'X'), (Decoded{kMismatch, "<null>"}));
  EXPECT_EQ(Decode(DecodeDouble, testkit::LeDouble(2.5)), (Decoded{kOk, "2.5"}));
  EXPECT_EQ(Decode(DecodeDouble, testkit::LeDouble(std::numeric_limits<double>::quiet_NaN())),
            (Decoded{kMismatch, "<null>"}));
  EXPECT_EQ(Decode(DecodeDouble, testkit::LeDouble(-HUGE_VAL)), (Decoded{kMismatch, "<null>"}));
}

}  // namespace
}  // namespace zuna::dbf
