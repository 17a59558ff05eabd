#include <gtest/gtest.h>

#include <memory>

#include "platform/base/byte_order.h"
#include "platform/base/value.h"
#include "platform/config/ini_file.h"
#include "platform/text/ascii.h"
#include "platform/text/code_page_decoder.h"
#include "platform/text/encoding.h"

namespace zuna {
namespace {

TEST(TrimTest, OnlySpacesGo) {
  EXPECT_EQ(text::Trim("  srv  "), "srv");
  EXPECT_EQ(text::Trim("\tsrv a "), "\tsrv a");
}

TEST(TrimTest, EachTextLosesOnlyItsOwnBlanks) {
  EXPECT_EQ(text::Trim(" \tDSN = pay\t ", text::kSpacesAndTabs), "DSN = pay");
  EXPECT_EQ(text::Trim("\r\n key=value \r\n", text::kWhitespace), "key=value");
  EXPECT_EQ(text::Trim(std::string_view(" 12\0", 4), std::string_view(" \0", 2)), "12");
  EXPECT_EQ(text::Trim("\r\n x", text::kSpacesAndTabs), "\r\n x");
}

TEST(TrimTest, AllBlankIsEmptyAtTheEndOfTheText) {
  const std::string_view blanks = "   ";
  const std::string_view trimmed = text::Trim(blanks);
  EXPECT_TRUE(trimmed.empty());
  EXPECT_EQ(trimmed.data(), blanks.data() + blanks.size());
  EXPECT_TRUE(text::Trim("").empty());
}

TEST(AsciiCaseTest, OnlyAsciiLettersFold) {
  EXPECT_EQ(text::LowerAscii("DDO_Code \xC3\x84"), "ddo_code \xC3\x84");
  EXPECT_EQ(text::UpperAscii('q'), 'Q');
  EXPECT_EQ(text::UpperAscii('@'), '@');
  EXPECT_TRUE(text::EqualsIgnoringCase("Emp_Code", "EMP_CODE"));
  EXPECT_FALSE(text::EqualsIgnoringCase("emp_code", "emp_code "));
  EXPECT_FALSE(text::EqualsIgnoringCase("[", "{"));  // 0x5B and 0x7B differ by the case bit only
}

TEST(ByteOrderTest, NumbersReadTheSameOnEveryMachine) {
  const unsigned char bytes[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
  EXPECT_EQ(ReadLe16(bytes), 0x0201);
  EXPECT_EQ(ReadBe16(bytes), 0x0102);
  EXPECT_EQ(ReadLe32(bytes), 0x04030201u);
  EXPECT_EQ(ReadBe32(bytes), 0x01020304u);
  EXPECT_EQ(ReadLeInt64(bytes), static_cast<std::int64_t>(0x8807060504030201ull));
  const unsigned char minus_two[4] = {0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ReadLeInt32(minus_two), -2);
  const unsigned char two_and_a_half[8] = {0, 0, 0, 0, 0, 0, 0x04, 0x40};
  EXPECT_EQ(ReadLeDouble(two_and_a_half), 2.5);
}

TEST(EncodingTest, Cp1252RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(text::Utf8ToCp1252(text::Cp1252ToUtf8(all)), all);
}

TEST(EncodingTest, MissingCharactersAndBrokenUtf8BecomeQuestionMarks) {
  EXPECT_EQ(text::Utf8ToCp1252("Ω€\xC3"), "?\x80?");
  EXPECT_EQ(text::Utf8ToCp1252("\xE2\x82"), "??");
}

TEST(EncodingTest, Utf16LeUsesSurrogatePairs) {
  std::string out;
  text::AppendUtf16Le("a\xF0\x9F\x98\x80", out);
  EXPECT_EQ(out, std::string("a\0\x3D\xD8\x00\xDE", 6));
}

TEST(CodePageDecoderTest, DosAndWindowsPagesDecode) {
  struct Case {
    int code_page;
    std::string bytes;
    std::string utf8;
  };
  for (const Case& c : {Case{437, "\x81\xE1", "üß"}, Case{850, "\x9B", "ø"}, Case{852, "\xA5", "ą"},
                        Case{866, "\x8F\xE0", "Пр"}, Case{1250, "\x8A", "Š"},
                        Case{1251, "\xC4", "Д"}, Case{1252, "\x80", "€"}}) {
    auto decoder = text::CodePageDecoder::ForCodePage(c.code_page);
    ASSERT_TRUE(decoder.ok()) << c.code_page;
    std::string out;
    EXPECT_EQ(decoder->Decode(c.bytes, out), 0u) << c.code_page;
    EXPECT_EQ(out, c.utf8) << c.code_page;
  }
}

TEST(CodePageDecoderTest, UndefinedBytesAreReplacedAndCounted) {
  auto decoder = text::CodePageDecoder::ForCodePage(1252);
  ASSERT_TRUE(decoder.ok());
  std::string out;
  EXPECT_EQ(decoder->Decode("a\x81\x8D"
                            "b",
                            out),
            2u);
  EXPECT_EQ(out,
            "a\xEF\xBF\xBD\xEF\xBF\xBD"
            "b");
}

TEST(CodePageDecoderTest, AByteBeyondAsciiIsDecodedWhereverItFallsInALongText) {
  // ASCII is copied eight bytes at a time: the e acute must be found in every position of a
  // word, in the tail after the last whole word, and next to an undefined byte.
  auto decoder = text::CodePageDecoder::ForCodePage(1252);
  ASSERT_TRUE(decoder.ok());
  for (std::size_t at = 0; at < 21; ++at) {
    SCOPED_TRACE(at);
    std::string bytes(21, 'x');
    bytes[at] = '\xE9';
    std::string expected(21, 'x');
    expected.replace(at, 1, "\xC3\xA9");
    std::string out = "kept ";
    EXPECT_EQ(decoder->Decode(bytes, out), 0u);
    EXPECT_EQ(out, "kept " + expected);
  }
  std::string out;
  EXPECT_EQ(decoder->Decode("abcdefgh\x81\xE9ijklmnopq", out), 1u);
  EXPECT_EQ(out, "abcdefgh\xEF\xBF\xBD\xC3\xA9ijklmnopq");
}

TEST(CodePageDecoderTest, MultiBytePageUsesIconv) {
  auto decoder = text::CodePageDecoder::ForCodePage(932);
  ASSERT_TRUE(decoder.ok());
  std::string out;
  EXPECT_EQ(decoder->Decode("\x93\xFA\x96\x7B", out), 0u);
  EXPECT_EQ(out, "日本");
}

TEST(CodePageDecoderTest, ACopyDecodesOnItsOwnAfterTheOriginalIsGone) {
  auto original = std::make_unique<text::CodePageDecoder>(
      std::move(text::CodePageDecoder::ForCodePage(932)).value());
  text::CodePageDecoder copy = *original;
  text::CodePageDecoder assigned = *text::CodePageDecoder::ForCodePage(1251);
  assigned = copy;
  original.reset();  // its iconv handle is closed: the copies have their own
  std::string out;
  EXPECT_EQ(copy.Decode("\x93\xFA\x96\x7B", out), 0u);
  EXPECT_EQ(assigned.Decode("\x93\xFA", out), 0u);
  EXPECT_EQ(out, "日本日");
  EXPECT_EQ(assigned.code_page(), 932);
  // An incomplete sequence in one copy does not reach the other's next call.
  std::string first, second;
  EXPECT_EQ(copy.Decode("\x93", first), 1u);
  EXPECT_EQ(assigned.Decode("\x96\x7B", second), 0u);
  EXPECT_EQ(second, "本");
}

TEST(CodePageDecoderTest, ACopyOfASingleBytePageKeepsItsTable) {
  text::CodePageDecoder copy;
  {
    const auto original = text::CodePageDecoder::ForCodePage(866);
    ASSERT_TRUE(original.ok());
    copy = *original;
  }
  std::string out;
  EXPECT_EQ(copy.Decode("\x8F\xE0", out), 0u);
  EXPECT_EQ(out, "Пр");
}

TEST(CodePageDecoderTest, UnknownCodePageIsNotFound) {
  auto decoder = text::CodePageDecoder::ForCodePage(4242);
  ASSERT_FALSE(decoder.ok());
  EXPECT_EQ(decoder.status().kind(), ErrorKind::kNotFound);
}

TEST(ValueTest, TextFormsAreThoseTheLogsAndDateTestSee) {
  EXPECT_EQ(Value::Date({1985, 3, 7}).ToText(), "07/03/1985");
  EXPECT_EQ(Value::Date({899, 1, 2}).ToText(), "02/01/0899");
  EXPECT_EQ(Value::DateTime({2001, 1, 2}, {13, 5, 9, 0}).ToText(), "02/01/2001 13:05:09");
  EXPECT_EQ(Value::DateTime({2001, 1, 2}, {0, 0, 0, 0}).ToText(), "02/01/2001");
  EXPECT_EQ(Value::Boolean(true).ToText(), "True");
  EXPECT_EQ(Value::Boolean(false).ToText(), "False");
  EXPECT_EQ(Value::Integer(1520).ToText(), "1520");
  EXPECT_EQ(Value::Decimal(152000, 2).ToText(), "1520");
  EXPECT_EQ(Value::Decimal(1250, 2).ToText(), "12.5");
  EXPECT_EQ(Value::Decimal(-25, 2).ToText(), "-0.25");
  EXPECT_EQ(Value::Decimal(0, 4).ToText(), "0");
  EXPECT_EQ(Value::Decimal(INT64_MIN, 0).ToText(), "-9223372036854775808");
  EXPECT_EQ(Value::Double(12.5).ToText(), "12.5");
  EXPECT_EQ(Value::Double(0.1).ToText(), "0.1");
  // A double's text goes into logs and text columns: never an exponent for a payroll value.
  EXPECT_EQ(Value::Double(100000).ToText(), "100000");
  EXPECT_EQ(Value::Double(-2500000).ToText(), "-2500000");
  EXPECT_EQ(Value::Double(123456789012.25).ToText(), "123456789012.25");
  EXPECT_EQ(Value::Double(0.000125).ToText(), "0.000125");
  EXPECT_EQ(Value::Double(0).ToText(), "0");
  EXPECT_EQ(Value::Double(1e20).ToText(), "1e+20");
  EXPECT_EQ(Value::Text("E1  ").ToText(), "E1  ");
  EXPECT_EQ(Value::Null().ToText(), "");
}

TEST(ValueTest, AssignCopiesEveryKindExactly) {
  Value target = Value::Text("a long text that leaves its buffer behind");
  for (const Value& source :
       {Value::Null(), Value::Text("E1  "), Value::Binary(std::string("\0\1", 2)),
        Value::Integer(-7), Value::Decimal(152050, 2), Value::Double(2.5), Value::Boolean(true),
        Value::Date({1899, 12, 31}), Value::DateTime({2001, 1, 2}, {3, 4, 5, 6})}) {
    target.Assign(source);
    EXPECT_EQ(target, source) << source.ToText();
    EXPECT_EQ(target.ToText(), source.ToText());
  }
}

TEST(ValueTest, CivilDaysRoundTripAcrossCenturies) {
  for (CivilDate d : {CivilDate{1, 1, 1}, CivilDate{1899, 12, 31}, CivilDate{1900, 2, 28},
                      CivilDate{1970, 1, 1}, CivilDate{2000, 2, 29}, CivilDate{9999, 12, 31}}) {
    EXPECT_EQ(CivilFromDays(DaysFromCivil(d)), d);
  }
  EXPECT_EQ(DaysFromCivil({1970, 1, 1}), 0);
  EXPECT_FALSE(IsValidDate({1900, 2, 29}));
  EXPECT_TRUE(IsValidDate({2000, 2, 29}));
  EXPECT_FALSE(IsValidDate({2001, 13, 1}));
}

TEST(IniFileTest, SectionsAndKeysIgnoreCaseAndCommentsAreDropped) {
  const auto ini = config::IniFile::Parse(
      "; top comment\n[FoxPay]\nDriver = dbf ; the reader\nSourceDB=data folder\r\n"
      "[pay]\nConnectionString = Driver={SQLite3};Database=a;b\n");
  EXPECT_TRUE(ini.HasSection("foxpay"));
  EXPECT_EQ(ini.Get("FOXPAY", "driver"), "dbf");
  EXPECT_EQ(ini.Get("foxpay", "sourcedb"), "data folder");
  EXPECT_EQ(ini.Get("pay", "connectionstring"), "Driver={SQLite3};Database=a;b");
  EXPECT_FALSE(ini.Get("server", "driver").has_value());
  EXPECT_EQ(ini.GetOr("server", "driver", "sqlite"), "sqlite");
}

}  // namespace
}  // namespace zuna
