#include "platform/dbf/foxpro_source.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/dbf/dbf_errors.h"
#include "tests/support/dbf_builder.h"

namespace zuna::dbf {
namespace {

using recordset::kErrItemNotFound;
using recordset::kErrNoCurrentRecord;
using recordset::kErrNotUpdatable;
using recordset::kErrObjectClosed;
using recordset::Recordset;

using testkit::DbfBuilder;

class FoxProSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.data_folder = folder_.path();
    DbfBuilder()
        .Field("EMP_CODE", 'C', 4)
        .Field("BASIC_PAY", 'N', 6)
        .Row({"E1", "100"})
        .Row({"E2", "200"}, true)
        .Row({"E3", "300"})
        .Write(folder_ / "PERSONNEL.DBF");
  }

  std::unique_ptr<recordset::Recordset> Open(std::string_view text) {
    auto rs = OpenFoxProRecordset(text, options_);
    EXPECT_TRUE(rs.ok()) << rs.status().ToString();
    return rs.ok() ? std::move(rs).value() : nullptr;
  }

  testkit::TempFolder folder_;
  FoxProSourceOptions options_;
};

TEST_F(FoxProSourceTest, SelectWalksRowsWithFieldsByNameIgnoringCase) {
  auto rs = Open("select * from personnel");
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->FieldCount(), 2);
  EXPECT_EQ(rs->FieldName(1), "basic_pay");
  std::vector<std::string> seen;
  while (!rs->Eof()) {
    seen.push_back((*rs->FieldByName("Emp_Code"))->ToText() + "=" + (*rs->Field(1))->ToText());
    ASSERT_TRUE(rs->MoveNext().ok());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"E1  =100", "E3  =300"}));
  EXPECT_EQ(rs->Statistics()->deleted_skipped, 1u);
  EXPECT_EQ(rs->MoveNext().number(), recordset::kErrNoCurrentRecord);
  EXPECT_TRUE(rs->Close().ok());
  EXPECT_EQ(rs->Close().number(), recordset::kErrObjectClosed);
}

TEST_F(FoxProSourceTest, StatementFormsAreAccepted) {
  for (const char* text :
       {"select * from personnel", "SELECT * FROM [personnel]", "  select  *  from  PERSONNEL ;",
        "select count(*) from personnel", "select count(*) from [personnel]",
        "Select Count( * ) From personnel"}) {
    EXPECT_TRUE(ParseSourceStatement(text).ok()) << text;
  }
  auto bracketed = ParseSourceStatement("select * from [personnel-del]");
  ASSERT_TRUE(bracketed.ok());
  EXPECT_EQ(bracketed->table, "personnel-del");
  auto doubled = ParseSourceStatement("select count(*) from [a]]b]");
  ASSERT_TRUE(doubled.ok());
  EXPECT_EQ(doubled->table, "a]b");
}

TEST_F(FoxProSourceTest, OtherStatementsAreRefused) {
  for (const char* text : {"update installation set dbf_type='SqlServer'",
                           "select emp_code from personnel", "select * from personnel where 1=1",
                           "delete from personnel", "select * from", "select * from [open", ""}) {
    auto rs = OpenFoxProRecordset(text, options_);
    ASSERT_FALSE(rs.ok()) << text;
    EXPECT_EQ(rs.status().number(), kErrUnrecognizedCommand) << text;
  }
}

TEST_F(FoxProSourceTest, CountGivesOneRowOfDeliveredRows) {
  auto rs = Open("select count(*) from [personnel]");
  ASSERT_TRUE(rs);
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(**rs->Field(0), Value::Integer(2));
  ASSERT_TRUE(rs->MoveNext().ok());
  EXPECT_TRUE(rs->Eof());
}

TEST_F(FoxProSourceTest, SourceIsReadOnly) {
  auto rs = Open("select * from personnel");
  EXPECT_EQ(rs->AddNew().number(), recordset::kErrNotUpdatable);
  EXPECT_EQ(rs->SetByName("emp_code", Value::Text("x")).number(), recordset::kErrNotUpdatable);
  EXPECT_EQ(rs->Update().number(), recordset::kErrNotUpdatable);
}

TEST_F(FoxProSourceTest, MissingTableAndMissingFieldAreReported) {
  auto missing = OpenFoxProRecordset("select * from payroll", options_);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.status().number(), kErrFileDoesNotExist);

  auto rs = Open("select * from personnel");
  auto field = rs->FieldByName("no_such");
  ASSERT_FALSE(field.ok());
  EXPECT_EQ(field.status().number(), recordset::kErrItemNotFound);
}

TEST_F(FoxProSourceTest, TableFileIsFoundIgnoringCaseAndHyphensStay) {
  DbfBuilder().Field("A", 'C', 1).Row({"x"}).Write(folder_ / "Personnel-Del.dbf");
  EXPECT_EQ(FindTableFile(folder_.path(), "personnel").filename(), "PERSONNEL.DBF");
  EXPECT_EQ(FindTableFile(folder_.path(), "personnel-del").filename(), "Personnel-Del.dbf");
  EXPECT_TRUE(FindTableFile(folder_.path(), "personnel_del").empty());
  auto rs = Open("select * from [personnel-del]");
  ASSERT_TRUE(rs);
  EXPECT_FALSE(rs->Eof());
}

TEST_F(FoxProSourceTest, AValueThatCannotBeDecodedIsThatFieldsFailureWithItsStoredText) {
  DbfBuilder()
      .Field("PAY_MON", 'N', 2)
      .Field("PAY_YEAR", 'N', 4)
      .Row({" 3", "12AB"})
      .Row({" 4", "2024"})
      .Write(folder_ / "paybill.dbf");
  auto rs = Open("select * from paybill");
  ASSERT_TRUE(rs);
  EXPECT_EQ((*rs->Field(0))->ToText(), "3");
  auto year = rs->Field(1);
  ASSERT_FALSE(year.ok());
  EXPECT_EQ(year.status().number(), kErrDataTypeMismatch);
  EXPECT_NE(year.status().description().find("field pay_year holds '12AB'"), std::string::npos);
  ASSERT_TRUE(rs->MoveNext().ok());
  EXPECT_EQ((*rs->Field(1))->ToText(), "2024");
}

TEST_F(FoxProSourceTest, RowValuesAreTheFieldsOfARowThatReadWhole) {
  DbfBuilder()
      .Field("PAY_MON", 'N', 2)
      .Field("PAY_YEAR", 'N', 4)
      .Row({" 3", "2023"})
      .Row({" 4", "12AB"})
      .Write(folder_ / "paybill.dbf");
  auto rs = Open("select * from paybill");
  ASSERT_TRUE(rs);
  const std::span<const Value> whole = rs->RowValues();
  ASSERT_EQ(whole.size(), 2u);
  EXPECT_EQ(whole[0], **rs->Field(0));
  EXPECT_EQ(whole[1].ToText(), "2023");
  // A row with a value that cannot be read has none: Field() tells which failed.
  ASSERT_TRUE(rs->MoveNext().ok());
  EXPECT_TRUE(rs->RowValues().empty());
  EXPECT_FALSE(rs->Field(1).ok());
  ASSERT_TRUE(rs->MoveNext().ok());
  EXPECT_TRUE(rs->RowValues().empty());  // at the end
  ASSERT_TRUE(rs->Close().ok());
  EXPECT_TRUE(rs->RowValues().empty());
}

TEST_F(FoxProSourceTest, AFolderAPipeOrALinkNamedLikeATableIsFoundAndRefused) {
  namespace fs = std::filesystem;
  fs::create_directory(folder_ / "Folder.DBF");
  ASSERT_EQ(::mkfifo((folder_ / "pipe.dbf").c_str(), 0600), 0);
  fs::create_symlink("loop.dbf", folder_ / "loop.dbf");
  fs::create_symlink("nowhere/x.dbf", folder_ / "dangling.dbf");
  const std::vector<std::pair<std::string, long>> cases = {{"folder", kErrNotATable},
                                                           {"pipe", kErrNotATable},
                                                           {"loop", ELOOP},
                                                           {"dangling", kErrFileDoesNotExist}};
  for (const auto& [table, number] : cases) {
    EXPECT_FALSE(FindTableFile(folder_.path(), table).empty()) << table;
    // In a child, so that waiting on the pipe fails the test instead of hanging it.
    const int opened = testkit::ExitStatusWithin(5, [&, table = table] {
      auto rs = OpenFoxProRecordset("select * from " + table, options_);
      return rs.ok() ? 255 : static_cast<int>(rs.status().number());
    });
    EXPECT_EQ(opened, number) << table;
  }
  // A real table file wins over a folder whose name differs from it only in case.
  fs::create_directory(folder_ / "personnel.dbf");
  EXPECT_EQ(FindTableFile(folder_.path(), "personnel").filename(), "PERSONNEL.DBF");
}

TEST_F(FoxProSourceTest, EmptyTableStartsAtEnd) {
  DbfBuilder().Field("A", 'C', 1).Write(folder_ / "empty.dbf");
  auto rs = Open("select * from empty");
  ASSERT_TRUE(rs);
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->Field(0).status().number(), recordset::kErrNoCurrentRecord);
}

}  // namespace
}  // namespace zuna::dbf
