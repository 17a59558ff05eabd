#include "scripts/field_listing.h"

#include <gtest/gtest.h>

#include "platform/files/fault_injecting_file_env.h"
#include "platform/files/log_slot.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/sqlite/sqlite_connection.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/unicode_lines.h"

namespace zuna::scripts {
namespace {

namespace fs = std::filesystem;
using testkit::DbfBuilder;
using Lines = std::vector<std::string>;

// A program folder with the target database zuna.db, whose tables each test creates, and the
// FoxPro data folder "zuna".
class FieldListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(folder_ / "zuna");
    testkit::WriteFile(folder_ / "zuna.db", "");  // an empty file is an empty database
    auto database = sql::sqlite::SqliteConnection::OpenFile(folder_ / "zuna.db");
    ASSERT_TRUE(database.ok()) << database.status().ToString();
    database_ = std::move(database).value();
  }

  void Target(const std::string& create_table) {
    ASSERT_TRUE(database_->Execute(create_table).ok()) << create_table;
  }

  Status List(files::FileEnv& env = files::FileEnv::Default()) {
    files::LogSlot slot(env);
    const Status listed = WriteFieldListing(sources_, slot);
    release_ = slot.Release();
    return listed;
  }

  // "fields" decoded from UTF-16, split at CR LF.
  Lines Listing() const { return testkit::UnicodeLines(folder_ / "fields"); }

  testkit::TempFolder folder_;
  std::shared_ptr<sql::sqlite::SqliteConnection> database_;
  sources::DataSources sources_{folder_.path(), config::IniFile(), {}};
  Status release_;
};

TEST_F(FieldListingTest, ListsTheTargetColumnsTheFoxProTableLacks) {
  Target(
      "CREATE TABLE department (Dept_Code varchar(4), dept_name varchar(30), user_id int, "
      "opr_date datetime)");
  Target("CREATE TABLE ddo (ddo_code varchar(10))");  // no FoxPro file: no block
  DbfBuilder()
      .Field("DEPT_CODE", 'C', 4)
      .Field("EXTRA", 'C', 4)
      .Row({"D1", "x"})
      .Write(folder_ / "zuna" / "department.dbf");
  ASSERT_TRUE(List().ok());
  EXPECT_EQ(Listing(), (Lines{"department", "----------------", "dept_name-varchar(30)",
                              "user_id-int()", "opr_date-datetime()", "", "============"}));
  EXPECT_TRUE(release_.ok());
}

TEST_F(FieldListingTest, ApostrophesInTableAndColumnNamesAreQuoted) {
  Target("CREATE TABLE [q'uote] ([it's] varchar(5), a int)");
  DbfBuilder().Field("A", 'N', 4).Row({"1"}).Write(folder_ / "zuna" / "q'uote.dbf");
  const Status listed = List();
  ASSERT_TRUE(listed.ok()) << listed.ToString();
  EXPECT_EQ(Listing(),
            (Lines{"q'uote", "----------------", "it's-varchar(5)", "", "============"}));
}

TEST_F(FieldListingTest, ListingOnAFullDiskFailsWithTheSystemsError) {
  Target("CREATE TABLE department (dept_code varchar(4), dept_name varchar(30))");
  DbfBuilder().Field("DEPT_CODE", 'C', 4).Write(folder_ / "zuna" / "department.dbf");
  files::FaultInjectingFileEnv env;
  env.FailWritesAfter("fields", 2 + 2 * 12);  // the byte-order mark and the table's name
  const Status listed = List(env);
  EXPECT_EQ(listed.number(), ENOSPC);
  EXPECT_NE(listed.description().find("fields: No space left on device"), std::string::npos);
  EXPECT_EQ(Listing(), (Lines{"department"}));
  EXPECT_EQ(env.unchecked_closes(), 0);
}

TEST_F(FieldListingTest, ListingThatCannotBeClosedIsAFailure) {
  Target("CREATE TABLE department (dept_code varchar(4), dept_name varchar(30))");
  DbfBuilder().Field("DEPT_CODE", 'C', 4).Write(folder_ / "zuna" / "department.dbf");
  files::FaultInjectingFileEnv env;
  env.FailClose("fields", EIO);
  ASSERT_TRUE(List(env).ok());
  EXPECT_EQ(release_.number(), EIO);
  EXPECT_EQ(Listing().size(), 5u);
}

}  // namespace
}  // namespace zuna::scripts
