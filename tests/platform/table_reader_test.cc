// The FoxPro reader on sound tables: values, memos, code pages, deleted rows, row counts that
// disagree with the file, and what the data folder may hold under a table's name.
#include "platform/dbf/table_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/language_drivers.h"
#include "tests/platform/table_reader_fixture.h"

namespace zuna::dbf {
namespace {

TEST_F(TableReaderTest, CharacterValuesKeepTrailingBlanksAndNamesAreLowerCase) {
  DbfBuilder().Field("EMP_CODE", 'C', 6).Field("NAME", 'C', 4).Row({"E1", "Ann"}).Write(Table());
  auto reader = OpenOk();
  ASSERT_EQ(reader->fields().size(), 2u);
  EXPECT_EQ(reader->fields()[0].name, "emp_code");
  EXPECT_EQ(ReadAll(), (Rows{{"E1    ", "Ann "}}));
}

TEST_F(TableReaderTest, DeletedRowIsSkippedUnlessAskedFor) {
  DbfBuilder().Field("A", 'C', 1).Row({"A"}, true).Row({"B"}).Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"B"}}));
  ReaderOptions keep;
  keep.skip_deleted = false;
  EXPECT_EQ(ReadAll(keep), (Rows{{"A"}, {"B"}}));

  auto reader = OpenOk();
  std::vector<Value> row;
  while (*reader->Next(row)) {
  }
  EXPECT_EQ(reader->statistics().deleted_skipped, 1u);
  EXPECT_EQ(reader->statistics().rows_delivered, 1u);
}

TEST_F(TableReaderTest, NumbersDatesAndLogicalsDecodeToTypedValues) {
  DbfBuilder()
      .Field("N0", 'N', 6)
      .Field("N2", 'N', 8, 2)
      .Field("F", 'F', 8, 3)
      .Field("D", 'D', 8)
      .Field("L", 'L', 1)
      .Row({"  1520", " 1520.00", "  12.500", "19991231", "T"})
      .Row({"   -42", "   -0.25", "        ", "        ", "?"})
      .Row({"      ", "        ", "   1e3  ", "00000000", " "})
      .Row({"     0", "    0.10", "  -1.000", "20240229", "n"})
      .Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"1520", "1520", "12.5", "31/12/1999", "True"},
                             {"-42", "-0.25", "<null>", "<null>", "<null>"},
                             {"<null>", "<null>", "1000", "<null>", "<null>"},
                             {"0", "0.1", "-1", "29/02/2024", "False"}}));
}

TEST_F(TableReaderTest, VisualFoxProBinaryTypesDecode) {
  // 2 Jan 2001 12:30:15.250 is Julian day 2451912.
  DbfBuilder(0x30)
      .Field("I", 'I', 4)
      .Field("Y", 'Y', 8)
      .Field("B", 'B', 8)
      .Field("T", 'T', 8)
      .Field("T0", 'T', 8)
      .RawRow(testkit::Le32(-7) + testkit::Le64(123456) + testkit::LeDouble(2.75) +
              testkit::Le32(2451912) + testkit::Le32((12 * 3600 + 30 * 60 + 15) * 1000 + 250) +
              testkit::Le32(2451912) + testkit::Le32(0))
      .Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_EQ(row[0], Value::Integer(-7));
  // Currency is an 8-byte integer of ten-thousandths, not the raw integer.
  EXPECT_EQ(row[1].ToText(), "12.3456");
  EXPECT_EQ(row[2], Value::Double(2.75));
  EXPECT_EQ(row[3].ToText(), "02/01/2001 12:30:15");
  EXPECT_EQ(row[3].time().millisecond, 250);
  // A datetime at midnight shows as its date alone.
  EXPECT_EQ(row[4].ToText(), "02/01/2001");
}

TEST_F(TableReaderTest, NullFlagsAndVarlengthBitsAreHonoured) {
  // Bits in field order: c (nullable) -> 0; v (varchar, nullable) -> 1 length, 2 null;
  // i (nullable) -> 3.
  auto record = [](std::string c, std::string v, std::string i, unsigned char flags) {
    c.resize(3, ' ');
    v.resize(5, ' ');
    return c + v + i + std::string(1, static_cast<char>(flags));
  };
  std::string short_v = "ab";
  short_v.resize(4, '\0');
  short_v += '\x02';  // actual length in the last byte
  DbfBuilder(0x32)
      .Field("C", 'C', 3, 0, 0x02)
      .Field("V", 'V', 5, 0, 0x02)
      .Field("I", 'I', 4, 0, 0x02)
      .Field("_NullFlags", '0', 1, 0, 0x05)
      .RawRow(record("x", short_v, testkit::Le32(5), 0b0010))
      .RawRow(record("", "", testkit::Le32(0), 0b1101))
      .RawRow(record("yz", "full5", testkit::Le32(9), 0b0000))
      .Write(Table());
  EXPECT_EQ(ReadAll(),
            (Rows{{"x  ", "ab", "5"}, {"<null>", "<null>", "<null>"}, {"yz ", "full5", "9"}}));
}

TEST_F(TableReaderTest, MemoBlockSizeComesFromTheFptHeader) {
  const auto blocks = testkit::WriteFptMemo(folder_ / "t.FPT", {"first remark", "zweite"}, 32);
  DbfBuilder(0xF5)
      .Field("ID", 'N', 2)
      .Field("REMARKS", 'M', 10)
      .Row({" 1", std::to_string(blocks[0])})
      .Row({" 2", std::to_string(blocks[1])})
      .Row({" 3", ""})
      .Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"1", "first remark"}, {"2", "zweite"}, {"3", "<null>"}}));
}

TEST_F(TableReaderTest, FptBlockSizeZeroMeansOneByteBlocks) {
  const auto blocks = testkit::WriteFptMemo(folder_ / "t.fpt", {"tiny"}, 0);
  DbfBuilder(0x30)
      .Field("M", 'M', 4)
      .RawRow(testkit::Le32(static_cast<std::int32_t>(blocks[0])))
      .Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"tiny"}}));
}

TEST_F(TableReaderTest, DBase3MemoEndsAtEndOfTextMarker) {
  const auto blocks = testkit::WriteDbt3Memo(folder_ / "t.dbt", {"one", "two\r\nlines"});
  DbfBuilder(0x83)
      .Field("M", 'M', 10)
      .Row({std::to_string(blocks[0])})
      .Row({std::to_string(blocks[1])})
      .Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"one"}, {"two\r\nlines"}}));
}

TEST_F(TableReaderTest, CodePageComesFromTheLanguageDriverOrTheOverride) {
  // 0xE4 is a-umlaut in 1252 and ф in 866; 0x81 is undefined in 1252.
  DbfBuilder().Field("C", 'C', 1).LanguageDriver(0x65).Row({"\xE4"}).Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"ф"}}));
  ReaderOptions cp1252;
  cp1252.code_page = 1252;
  EXPECT_EQ(ReadAll(cp1252), (Rows{{"ä"}}));

  DbfBuilder().Field("C", 'C', 2).LanguageDriver(0x00).Row({"\xE4\x81"}).Write(Table());
  auto reader = OpenOk();
  EXPECT_EQ(reader->code_page(), 1252);  // no declared code page
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_EQ(row[0].text(), "ä\xEF\xBF\xBD");  // replaced, not fatal
  EXPECT_EQ(reader->statistics().undecodable_fields, 1u);
}

TEST_F(TableReaderTest, TruncatedFileDeliversOnlyCompleteRows) {
  std::string bytes =
      DbfBuilder().Field("A", 'C', 4).Row({"one"}).Row({"two"}).Row({"three"}).Bytes();
  bytes.resize(bytes.size() - 1 - 3);  // drop the end marker and part of the last row
  testkit::WriteFile(Table(), bytes);
  EXPECT_EQ(ReadAll(), (Rows{{"one "}, {"two "}}));
  auto reader = OpenOk();
  EXPECT_EQ(reader->statistics().header_row_count, 3u);
  EXPECT_EQ(reader->statistics().rows_in_file, 2u);
}

TEST_F(TableReaderTest, RowsBeyondAStaleHeaderCountAreDeliveredButTrailingBytesAreNot) {
  DbfBuilder().Field("A", 'C', 2).Row({"a"}).Row({"b"}).Row({"c"}).HeaderRowCount(1).Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"a "}, {"b "}, {"c "}}));

  // Junk after the last record that happens to fill a record's width is not a row.
  std::string bytes = DbfBuilder().Field("A", 'C', 2).Row({"a"}).Bytes();
  bytes += "xyz";
  testkit::WriteFile(Table(), bytes);
  EXPECT_EQ(ReadAll(), (Rows{{"a "}}));
}

TEST_F(TableReaderTest, SmallBuffersReadTheSameRows) {
  DbfBuilder builder;
  builder.Field("N", 'N', 5);
  Rows expected;
  for (int i = 0; i < 100; ++i) {
    builder.Row({std::to_string(i)}, i % 7 == 0);
    if (i % 7 != 0) expected.push_back({std::to_string(i)});
  }
  builder.Write(Table());
  ReaderOptions tiny;
  tiny.buffer_bytes = 13;  // fewer bytes than two records: one record per read
  EXPECT_EQ(ReadAll(tiny), expected);
  EXPECT_EQ(ReadAll(), expected);
}

TEST_F(TableReaderTest, CountWalksRowsWithoutDecoding) {
  DbfBuilder().Field("A", 'C', 1).Row({"a"}).Row({"b"}, true).Row({"c"}).Write(Table());
  auto reader = OpenOk();
  auto count = reader->CountRemainingRows();
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(*count, 2u);
}

TEST(LanguageDriverTest, KnownBytesNameTheirCodePageAndOthersMeanWindows1252) {
  EXPECT_EQ(CodePageForLanguageDriver(0x00), 1252);
  EXPECT_EQ(CodePageForLanguageDriver(0x01), 437);
  EXPECT_EQ(CodePageForLanguageDriver(0x02), 850);
  EXPECT_EQ(CodePageForLanguageDriver(0x13), 932);
  EXPECT_EQ(CodePageForLanguageDriver(0x26), 866);
  EXPECT_EQ(CodePageForLanguageDriver(0x4D), 936);
  EXPECT_EQ(CodePageForLanguageDriver(0x7E), 1256);
  EXPECT_EQ(CodePageForLanguageDriver(0x98), 10006);
  EXPECT_EQ(CodePageForLanguageDriver(0xC8), 1250);
  EXPECT_EQ(CodePageForLanguageDriver(0xCC), 1257);
  EXPECT_EQ(CodePageForLanguageDriver(0x1E), 1252);  // no such driver
  EXPECT_EQ(CodePageForLanguageDriver(0xFF), 1252);
}

// What the data folder holds under a table's name may be no file at all.

TEST_F(TableReaderTest, AFolderIsNotATable) {
  std::filesystem::create_directory(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("it is a folder"), std::string::npos);
}

TEST_F(TableReaderTest, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
  ASSERT_EQ(::mkfifo(Table().c_str(), 0600), 0);
  const int status = testkit::ExitStatusWithin(5, [&] {
    auto reader = TableReader::Open(Table());
    if (reader.ok()) return 1;
    if (reader.status().number() != kErrNotATable) return 2;
    return reader.status().description().find("named pipe") == std::string::npos ? 3 : 0;
  });
  EXPECT_EQ(status, 0) << "-1: the open waited on the pipe";
}

TEST_F(TableReaderTest, LinksThatLeadNowhereSayWhatTheyAre) {
  std::filesystem::create_symlink("loop_b.dbf", folder_ / "loop_a.dbf");
  std::filesystem::create_symlink("loop_a.dbf", folder_ / "loop_b.dbf");
  auto loop = TableReader::Open(folder_ / "loop_a.dbf");
  ASSERT_FALSE(loop.ok());
  EXPECT_EQ(loop.status().number(), ELOOP);
  EXPECT_NE(loop.status().description().find("loop_a.dbf"), std::string::npos);

  std::filesystem::create_symlink("elsewhere.dbf", Table());
  auto dangling = TableReader::Open(Table());
  ASSERT_FALSE(dangling.ok());
  EXPECT_EQ(dangling.status().number(), kErrFileDoesNotExist);
  EXPECT_NE(dangling.status().description().find("a link to 'elsewhere.dbf'"), std::string::npos)
      << dangling.status().description();
}

TEST_F(TableReaderTest, AnnouncedRowCountNeedsOnlyTheFixedHeader) {
  DbfBuilder().Field("A", 'C', 2).Row({"x"}).HeaderRowCount(200).HeaderLength(99).Write(Table());
  ASSERT_FALSE(TableReader::Open(Table()).ok());
  EXPECT_EQ(AnnouncedRowCount(Table()), 200u);

  testkit::WriteFile(Table(), std::string(31, '\x03'));
  EXPECT_EQ(AnnouncedRowCount(Table()), std::nullopt);
  EXPECT_EQ(AnnouncedRowCount(folder_ / "absent.dbf"), std::nullopt);
  ASSERT_EQ(::mkfifo((folder_ / "pipe.dbf").c_str(), 0600), 0);
  EXPECT_EQ(
      testkit::ExitStatusWithin(5, [&] { return AnnouncedRowCount(folder_ / "pipe.dbf") ? 1 : 0; }),
      0);
}

TEST_F(TableReaderTest, MissingFileIsFoxProsFileDoesNotExist) {
  auto reader = TableReader::Open(folder_ / "absent.dbf");
  ASSERT_FALSE(reader.ok());
  EXPECT_EQ(reader.status().number(), kErrFileDoesNotExist);
  EXPECT_EQ(reader.status().kind(), ErrorKind::kNotFound);
}

}  // namespace
}  // namespace zuna::dbf
