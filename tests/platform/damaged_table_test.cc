// The FoxPro reader on damaged tables: each gives an error that names the file and the fault, a
// value or memo that cannot be read fails its field alone, and nothing is read shifted.
#include <gtest/gtest.h>

#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/table_reader.h"
#include "tests/platform/table_reader_fixture.h"

namespace zuna::dbf {
namespace {

// The same fixture, under the name of what these cases are about.
class DamagedTableTest : public TableReaderTest {};

// Damaged files: each gives an error that names the file and the fault.

TEST_F(DamagedTableTest, FileShorterThanAHeaderIsNotATable) {
  testkit::WriteFile(Table(), "\x03\x7E\x01");
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("t.dbf"), std::string::npos);
  EXPECT_NE(st.description().find("shorter than the 32-byte"), std::string::npos);
}

TEST_F(DamagedTableTest, HeaderShorterThanStatedIsNotATable) {
  std::string bytes = DbfBuilder().Field("A", 'C', 1).Bytes();
  bytes.resize(40);
  testkit::WriteFile(Table(), bytes);
  EXPECT_NE(OpenError().description().find("header is shorter than stated"), std::string::npos);
}

TEST_F(DamagedTableTest, DescriptorsWithoutTerminatorAreNotATable) {
  std::string bytes = DbfBuilder().Field("A", 'C', 1).Row({"x"}).Bytes();
  bytes[64] = 'Z';  // overwrite the 0x0D terminator
  testkit::WriteFile(Table(), bytes);
  EXPECT_NE(OpenError().description().find("no terminator"), std::string::npos);
}

TEST_F(DamagedTableTest, RecordLengthMustBeTheSumOfFieldWidths) {
  DbfBuilder().Field("A", 'C', 3).RecordLength(9).Row({"x"}).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.kind(), ErrorKind::kCorrupt);
  EXPECT_NE(st.description().find("record length 9"), std::string::npos);
}

TEST_F(DamagedTableTest, FixedWidthTypeWithWrongWidthIsNotATable) {
  DbfBuilder(0x30).Field("I", 'I', 2).RawRow("ab").Write(Table());
  EXPECT_NE(OpenError().description().find("field i of type I has width 2"), std::string::npos);
}

TEST_F(DamagedTableTest, MissingMemoFileIsAnError) {
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"1"}).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrMemoFileInvalid);
  EXPECT_NE(st.description().find("no memo file"), std::string::npos);
}

TEST_F(DamagedTableTest, MemoBlockPastTheEndFailsThatFieldOnly) {
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

TEST_F(DamagedTableTest, MemoLengthRunningPastTheEndIsAnErrorNotARead) {
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

TEST_F(DamagedTableTest, HeaderLengthOneTooLongIsNotATable) {
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

TEST_F(DamagedTableTest, HeaderLengthOneTooShortIsNotATable) {
  DbfBuilder().Field("A", 'C', 7).Row({"E100000"}).HeaderLength(64).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("no terminator within the header's 64 bytes"), std::string::npos)
      << st.description();
}

TEST_F(DamagedTableTest, HeaderLengthOf65535IsNotATable) {
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

TEST_F(DamagedTableTest, EveryLegalHeaderLayoutIsRead) {
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

TEST_F(DamagedTableTest, AHeaderLengthShortByTheBacklinkIsNotATable) {
  // 263 less is a legal layout by itself, but it points into the zeros of the backlink.
  DbfBuilder(0x30).Field("A", 'C', 3).Row({"abc"}).HeaderLength(65).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("the first record, at byte 65, does not start with a deletion "
                                  "flag (found \\x00)"),
            std::string::npos)
      << st.description();
}

TEST_F(DamagedTableTest, AHeaderLengthLongByABacklinkIsNotATable) {
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

TEST_F(DamagedTableTest, OneExtraHeaderByteMustBeNul) {
  DbfBuilder().Field("A", 'C', 3).Row({"abc"}).HeaderExtra("\x01").Write(Table());
  EXPECT_EQ(OpenError().number(), kErrNotATable);
}

TEST_F(DamagedTableTest, UnknownFieldTypeIsNotATable) {
  DbfBuilder().Field("AMOUNT", 'O', 8).RawRow(std::string(8, '\0')).Write(Table());
  const Status st = OpenError();
  EXPECT_EQ(st.number(), kErrNotATable);
  EXPECT_NE(st.description().find("field amount has the unknown type 'O'"), std::string::npos);
}

TEST_F(DamagedTableTest, TwoNullFlagsColumnsAreNotATable) {
  DbfBuilder(0x30)
      .Field("C", 'C', 1, 0, 0x02)
      .Field("_NullFlags", '0', 1, 0, 0x05)
      .Field("_NullFlag2", '0', 1, 0, 0x05)
      .RawRow("x\x01\x00")
      .Write(Table());
  EXPECT_NE(OpenError().description().find("more than one _NullFlags"), std::string::npos);
}

TEST_F(DamagedTableTest, NullFlagsAreHonouredWhateverTheVersionByte) {
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

// Values the reader cannot decode fail their field with FoxPro's number and the stored bytes;
// the rest of the row is delivered.

TEST_F(DamagedTableTest, UndecodableValuesFailTheirFieldWithTheStoredBytes) {
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

TEST_F(DamagedTableTest, StoredBytesInAFailureAreShownEscaped) {
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

TEST_F(DamagedTableTest, MemoPointerIntoTheMemoHeaderIsAnError) {
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

TEST_F(DamagedTableTest, MemoPointerIntoTheHeaderOfOneByteBlocksIsAnError) {
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

TEST_F(DamagedTableTest, MemoPointerIntoTheMiddleOfAMemoIsAnError) {
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

TEST_F(DamagedTableTest, AChangedMemoBlockSizeFailsTheMemosInsteadOfMovingThem) {
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

TEST_F(DamagedTableTest, AMemoFileCutShortFailsItsMemos) {
  testkit::WriteFptMemo(folder_ / "t.fpt", {"first", std::string(300, 'x')}, 64);
  std::filesystem::resize_file(folder_ / "t.fpt", 512 + 64 + 100);
  DbfBuilder(0xF5).Field("M", 'M', 10).Row({"8"}).Write(Table());
  auto reader = OpenOk();
  std::vector<Value> row;
  ASSERT_TRUE(*reader->Next(row));
  ASSERT_EQ(Failures(*reader), (FieldFailures{{0, kErrMemoFileInvalid}}));
}

TEST_F(DamagedTableTest, ADBase3MemoCutBeforeItsEndMarkerIsAnError) {
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

}  // namespace
}  // namespace zuna::dbf
