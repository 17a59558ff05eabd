#include "platform/dbf/table_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <limits>

#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/field_values.h"
#include "tests/support/dbf_builder.h"

namespace zuna::dbf {
namespace {

using testkit::DbfBuilder;
using Rows = std::vector<std::vector<std::string>>;
// A field failure as (column index, error number).
using FieldFailures = std::vector<std::pair<int, long>>;

FieldFailures Failures(const TableReader& reader) {
  FieldFailures failures;
  for (const auto& [index, status] : reader.field_errors()) {
    failures.emplace_back(index, status.number());
  }
  return failures;
}

class TableReaderTest : public ::testing::Test {
 protected:
  std::filesystem::path Table(const std::string& name = "t.dbf") { return folder_ / name; }

  std::unique_ptr<TableReader> OpenOk(const ReaderOptions& options = {}) {
    auto reader = TableReader::Open(Table(), options);
    EXPECT_TRUE(reader.ok()) << reader.status().ToString();
    return reader.ok() ? std::move(reader).value() : nullptr;
  }

  // Every delivered row as the text forms of its values.
  Rows ReadAll(const ReaderOptions& options = {}) {
    auto reader = OpenOk(options);
    Rows rows;
    if (!reader) return rows;
    std::vector<Value> row;
    for (;;) {
      auto more = reader->Next(row);
      EXPECT_TRUE(more.ok()) << more.status().ToString();
      if (!more.ok() || !*more) break;
      std::vector<std::string> texts;
      for (const Value& v : row) texts.push_back(v.is_null() ? "<null>" : v.ToText());
      rows.push_back(texts);
    }
    return rows;
  }

  Status OpenError() {
    auto reader = TableReader::Open(Table());
    EXPECT_FALSE(reader.ok());
    return reader.ok() ? Status() : reader.status();
  }

  testkit::TempFolder folder_;
};

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

// Damaged files: each gives an error that names the file and the fault.

TEST_F(TableReaderTest, FileShorterThanAHeaderIsNotATable) {
  testkit::WriteFile(Table(), "\x03\x7E\x01");
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("t.dbf"), std::string::npos);
  EXPECT_NE(st.description().find("shorter than the 32-byte"), std::string::npos);
}

TEST_F(TableReaderTest, HeaderShorterThanStatedIsNotATable) {
  std::string bytes = DbfBuilder().Field("A", 'C', 1).Bytes();
  bytes.resize(40);
  testkit::WriteFile(Table(), bytes);
  EXPECT_NE(OpenError().description().find("header is shorter than stated"), std::string::npos);
}

TEST_F(TableReaderTest, DescriptorsWithoutTerminatorAreNotATable) {
  std::string bytes = DbfBuilder().Field("A", 'C', 1).Row({"x"}).Bytes();
  bytes[64] = 'Z';  // overwrite the 0x0D terminator
  testkit::WriteFile(Table(), bytes);
  EXPECT_NE(OpenError().description().find("no terminator"), std::string::npos);
}

TEST_F(TableReaderTest, RecordLengthMustBeTheSumOfFieldWidths) {
  DbfBuilder().Field("A", 'C', 3).RecordLength(9).Row({"x"}).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.kind(), ErrorKind::kCorrupt);
  EXPECT_NE(st.description().find("record length 9"), std::string::npos);
}

TEST_F(TableReaderTest, FixedWidthTypeWithWrongWidthIsNotATable) {
  DbfBuilder(0x30).Field("I", 'I', 2).RawRow("ab").Write(Table());
  EXPECT_NE(OpenError().description().find("field i of type I has width 2"), std::string::npos);
}

TEST_F(TableReaderTest, MissingMemoFileIsAnError) {
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"1"}).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrMemoFileInvalid);
  EXPECT_NE(st.description().find("no memo file"), std::string::npos);
}

TEST_F(TableReaderTest, MemoBlockPastTheEndFailsThatFieldOnly) {
  testkit::WriteFptMemo(folder_ / "t.fpt", {"ok"}, 64);
  DbfBuilder(0xF5)
      .Field("ID", 'N', 2)
      .Field("M", 'M', 10)
      .Row({" 1", "9999"})
      .Row({" 2", "8"})
      .Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_EQ(row[0].ToText(), "1");
  ASSERT_EQ(reader->field_errors().size(), 1u);
  EXPECT_EQ(reader->field_errors()[0].first, 1);
  EXPECT_NE(reader->field_errors()[0].second.description().find("past the end"), std::string::npos);
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_TRUE(reader->field_errors().empty());
  EXPECT_EQ(row[1].ToText(), "ok");
}

TEST_F(TableReaderTest, MemoLengthRunningPastTheEndIsAnErrorNotARead) {
  std::string memo(512, '\0');
  memo[7] = 64;  // block size 64
  memo += std::string("\0\0\0\x01\x7F\xFF\xFF\xFF", 8) + "short";
  testkit::WriteFile(folder_ / "t.fpt", memo);
  DbfBuilder(0x30).Field("M", 'M', 4).RawRow(testkit::Le32(8)).Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(reader->field_errors().size(), 1u);
  EXPECT_TRUE(row[0].is_null());
}

// The header must add up: its length fits the descriptors in exactly the layouts real writers
// produce, or every record would be read shifted.

TEST_F(TableReaderTest, HeaderLengthOneTooLongIsNotATable) {
  // 65 is right; 66 would start every record one byte late and read "E100000" as "100000 ".
  DbfBuilder()
      .Field("A", 'C', 7)
      .Row({"E100000"})
      .Row({"gone"}, true)
      .HeaderLength(66)
      .Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("t.dbf: not a table: the header length 66 does not fit its 1 "
                                  "field descriptors, which end at byte 65"),
            std::string::npos)
      << st.description();
}

TEST_F(TableReaderTest, HeaderLengthOneTooShortIsNotATable) {
  DbfBuilder().Field("A", 'C', 7).Row({"E100000"}).HeaderLength(64).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("no terminator within the header's 64 bytes"), std::string::npos)
      << st.description();
}

TEST_F(TableReaderTest, HeaderLengthOf65535IsNotATable) {
  DbfBuilder builder;
  builder.Field("A", 'C', 200);
  for (int i = 0; i < 400; ++i) builder.Row({std::to_string(i)});  // 80 KB, more than 65535
  builder.HeaderLength(65535).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("header length 65535 does not fit"), std::string::npos);

  // In a smaller file the same length runs past the end.
  DbfBuilder().Field("A", 'C', 2).Row({"x"}).HeaderLength(65535).Write(Table());
  EXPECT_NE(OpenError().description().find("header is shorter than stated"), std::string::npos);
}

TEST_F(TableReaderTest, EveryLegalHeaderLayoutIsRead) {
  const auto read = [&](std::uint8_t version, const std::string& extra) {
    DbfBuilder(version)
        .Field("A", 'C', 3)
        .Row({"abc"})
        .Row({"def"})
        .HeaderExtra(extra)
        .Write(Table());
    return ReadAll();
  };
  const Rows expected{{"abc"}, {"def"}};
  EXPECT_EQ(read(0x03, ""), expected);                      // dBase III, FoxPro 2.x
  EXPECT_EQ(read(0x03, std::string(1, '\0')), expected);    // dBase III with a NUL after
  EXPECT_EQ(read(0x03, std::string(263, '\0')), expected);  // python3-dbf's FoxPro tables
  EXPECT_EQ(read(0xF5, std::string(263, '\0')), expected);  //
  EXPECT_EQ(read(0x30, std::string(263, '\0')), expected);  // Visual FoxPro, free table
  std::string backlink = "..\\data\\payroll.dbc";
  backlink.resize(263, '\0');
  EXPECT_EQ(read(0x30, backlink), expected);  // Visual FoxPro, in a database
  EXPECT_EQ(read(0x30, ""), expected);        // Visual FoxPro without its backlink
}

TEST_F(TableReaderTest, AHeaderLengthShortByTheBacklinkIsNotATable) {
  // 263 less is a legal layout by itself, but it points into the zeros of the backlink.
  DbfBuilder(0x30).Field("A", 'C', 3).Row({"abc"}).HeaderLength(65).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("the first record, at byte 65, does not start with a deletion "
                                  "flag (found \\x00)"),
            std::string::npos)
      << st.description();
}

TEST_F(TableReaderTest, AHeaderLengthLongByABacklinkIsNotATable) {
  // 263 more is a legal layout by itself and lands on a blank inside the records; only the
  // end of the file shows that the records no longer fit.
  DbfBuilder builder;
  builder.Field("A", 'C', 10);
  for (int i = 0; i < 40; ++i) builder.Row({""});
  builder.HeaderLength(65 + 263).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("the records of 11 bytes from byte 328 do not end at the "
                                  "end-of-file marker at byte 505"),
            std::string::npos)
      << st.description();
}

TEST_F(TableReaderTest, OneExtraHeaderByteMustBeNul) {
  DbfBuilder().Field("A", 'C', 3).Row({"abc"}).HeaderExtra("\x01").Write(Table());
  EXPECT_EQ(OpenError().number(), kErrNotATable);
}

TEST_F(TableReaderTest, UnknownFieldTypeIsNotATable) {
  DbfBuilder().Field("AMOUNT", 'O', 8).RawRow(std::string(8, '\0')).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("field amount has the unknown type 'O'"), std::string::npos);
}

TEST_F(TableReaderTest, TwoNullFlagsColumnsAreNotATable) {
  DbfBuilder(0x30)
      .Field("C", 'C', 1, 0, 0x02)
      .Field("_NullFlags", '0', 1, 0, 0x05)
      .Field("_NullFlag2", '0', 1, 0, 0x05)
      .RawRow("x\x01\x00")
      .Write(Table());
  EXPECT_NE(OpenError().description().find("more than one _NullFlags"), std::string::npos);
}

TEST_F(TableReaderTest, NullFlagsAreHonouredWhateverTheVersionByte) {
  // python3-dbf writes _NullFlags into FoxPro 2.x tables; a version byte that is not Visual
  // FoxPro must not turn a null into blanks.
  DbfBuilder(0x03)
      .Field("C", 'C', 3, 0, 0x02)
      .Field("_NullFlags", '0', 1, 0, 0x05)
      .RawRow(std::string("   ") + "\x01")
      .RawRow(std::string("abc") + "\x00")
      .Write(Table());
  EXPECT_EQ(ReadAll(), (Rows{{"<null>"}, {"abc"}}));
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

// Values the reader cannot decode fail their field with FoxPro's number and the stored bytes;
// the rest of the row is delivered.

TEST_F(TableReaderTest, UndecodableValuesFailTheirFieldWithTheStoredBytes) {
  DbfBuilder()
      .Field("BILL_DATE", 'D', 8)
      .Field("BASIC", 'N', 6)
      .Field("PAY_YEAR", 'N', 4)
      .Field("ACTIVE", 'L', 1)
      .Field("CODE", 'C', 2)
      .Row({"20231345", "******", "12AB", "X", "ok"})
      .Row({"20240229", "  1520", "2024", "T", "ok"})
      .Row({"        ", "      ", "    ", "?", "  "})
      .Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrInvalidDate},
                                              {1, kErrNumericOverflow},
                                              {2, kErrDataTypeMismatch},
                                              {3, kErrDataTypeMismatch}}));
  const auto& errors = reader->field_errors();
  EXPECT_NE(errors[0].second.description().find(
                "t.dbf: date/datetime evaluated to an invalid value: field bill_date holds "
                "'20231345'"),
            std::string::npos)
      << errors[0].second.description();
  EXPECT_NE(errors[1].second.description().find("field basic holds '******'"), std::string::npos);
  EXPECT_NE(errors[2].second.description().find("field pay_year holds '12AB'"), std::string::npos);
  EXPECT_EQ(row[4].ToText(), "ok");
  // Nothing here lacks a code page's character.
  EXPECT_EQ(reader->statistics().undecodable_fields, 0u);

  ASSERT_TRUE(*reader->Next(row));
  EXPECT_TRUE(reader->field_errors().empty());
  // Blanks and '?' are null by design, not failures.
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_TRUE(reader->field_errors().empty());
  EXPECT_TRUE(row[0].is_null() && row[1].is_null() && row[2].is_null() && row[3].is_null());
}

TEST_F(TableReaderTest, StoredBytesInAFailureAreShownEscaped) {
  DbfBuilder().Field("D", 'D', 8).Row({std::string("2023\x01\xFF\\1")}).Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(reader->field_errors().size(), 1u);
  EXPECT_NE(reader->field_errors()[0].second.description().find("holds '2023\\x01\\xFF\\x5C1'"),
            std::string::npos)
      << reader->field_errors()[0].second.description();
}

// A damaged memo fails only its field, with error 41.

TEST_F(TableReaderTest, MemoPointerIntoTheMemoHeaderIsAnError) {
  // 64-byte blocks: block 1 lies inside the 512-byte header, whose zeros read as an empty memo.
  testkit::WriteFptMemo(folder_ / "t.fpt", {"first"}, 64);
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"1"}).Row({"8"}).Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
  EXPECT_NE(reader->field_errors()[0].second.description().find(
                "block 1 lies inside the memo file's header"),
            std::string::npos);
  EXPECT_TRUE(row[0].is_null());
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_EQ(row[0].ToText(), "first");
}

TEST_F(TableReaderTest, MemoPointerIntoTheHeaderOfOneByteBlocksIsAnError) {
  const auto blocks = testkit::WriteFptMemo(folder_ / "t.fpt", {"tiny"}, 1);
  ASSERT_EQ(blocks[0], 512u);
  DbfBuilder(0x30)
      .Field("M", 'M', 4)
      .RawRow(testkit::Le32(8))
      .RawRow(testkit::Le32(512))
      .Write(Table());
  EXPECT_EQ(ReadAll().size(), 2u);
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_EQ(row[0].ToText(), "tiny");
}

TEST_F(TableReaderTest, MemoPointerIntoTheMiddleOfAMemoIsAnError) {
  // Block 9 starts 56 bytes into the text of the memo at block 8, where this text happens to
  // look like a block header of length 2.
  const std::string text = std::string(56, 'a') + "TEXT" + std::string("\0\0\0\x02", 4) + "hi";
  testkit::WriteFptMemo(folder_ / "t.fpt", {text}, 64);
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"9"}).Row({"8"}).Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
  EXPECT_NE(reader->field_errors()[0].second.description().find("block 9 does not start a memo"),
            std::string::npos);
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_EQ(row[0].ToText(), text);
}

TEST_F(TableReaderTest, AChangedMemoBlockSizeFailsTheMemosInsteadOfMovingThem) {
  // A larger block size moves the pointers as well: block 8 of 128 bytes is block 16 of 64.
  // With 32-byte blocks, block 20 would be the memo stored at block 10 of 64 bytes.
  std::vector<std::string> memos;
  for (int i = 0; i < 12; ++i) memos.push_back("memo " + std::to_string(i));
  const auto blocks = testkit::WriteFptMemo(folder_ / "t.fpt", memos, 64);
  ASSERT_EQ(blocks[11], 19u);
  std::string memo = testkit::ReadFile(folder_ / "t.fpt");
  memo[7] = 32;
  testkit::WriteFile(folder_ / "t.fpt", memo);
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"20"}).Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
  EXPECT_NE(reader->field_errors()[0].second.description().find(
                "block size 32 and next free block 20 do not fit its 1280 bytes"),
            std::string::npos)
      << reader->field_errors()[0].second.description();

  memo[7] = static_cast<char>(128);
  testkit::WriteFile(folder_ / "t.fpt", memo);
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"8"}).Write(Table());
  reader = OpenOk();
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
}

TEST_F(TableReaderTest, AMemoFileCutShortFailsItsMemos) {
  testkit::WriteFptMemo(folder_ / "t.fpt", {"first", std::string(300, 'x')}, 64);
  std::filesystem::resize_file(folder_ / "t.fpt", 512 + 64 + 100);
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"8"}).Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
}

TEST_F(TableReaderTest, ADBase3MemoCutBeforeItsEndMarkerIsAnError) {
  const auto blocks = testkit::WriteDbt3Memo(folder_ / "t.dbt", {"whole", "cut short"});
  std::filesystem::resize_file(folder_ / "t.dbt", 512 * blocks[1] + 3);
  DbfBuilder(0x83)
      .Field("M", 'M', 10)
      .Row({std::to_string(blocks[0])})
      .Row({std::to_string(blocks[1])})
      .Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  EXPECT_EQ(row[0].ToText(), "whole");
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
  EXPECT_NE(reader->field_errors()[0].second.description().find("without its end marker"),
            std::string::npos);
  EXPECT_TRUE(row[0].is_null());
}

TEST_F(TableReaderTest, MissingFileIsFoxProsFileDoesNotExist) {
  auto reader = TableReader::Open(folder_ / "absent.dbf");
  ASSERT_FALSE(reader.ok());
  EXPECT_EQ(reader.status().number(), kErrFileDoesNotExist);
  EXPECT_EQ(reader.status().kind(), ErrorKind::kNotFound);
}

// The decoders of stored values, case by case.

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
