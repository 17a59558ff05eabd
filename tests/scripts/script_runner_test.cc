#include "scripts/script_runner.h"

#include <gtest/gtest.h>

#include "core/connection_texts.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/sql_errors.h"
#include "scripts/batch_splitter.h"
#include "scripts/schema_commands.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/recording_operator.h"

namespace zuna::scripts {
namespace {

namespace fs = std::filesystem;
using Batches = std::vector<Batch>;

// The batches of a script that splits without error.
Batches Split(std::string_view text) {
  auto batches = SplitBatches(text);
  EXPECT_TRUE(batches.ok()) << batches.status().ToString();
  return batches.ok() ? *batches : Batches{};
}

TEST(SplitBatchesTest, OnlyLinesHoldingGoSeparate) {
  EXPECT_EQ(Split("CREATE TABLE a (CATEGORY int)\r\nGO\r\nINSERT INTO a VALUES ('GOVT')\r\n"
                  "  go  \r\nSELECT 1\r\n"),
            (Batches{{"CREATE TABLE a (CATEGORY int)\r\n", 1},
                     {"INSERT INTO a VALUES ('GOVT')\r\n", 1},
                     {"SELECT 1\r\n", 1}}));
  EXPECT_EQ(Split("GOTO x\nGO;\nGo\n"), (Batches{{"GOTO x\nGO;\n", 1}}));
}

TEST(SplitBatchesTest, RepeatCountRunsTheBatchAgainAndBlankBatchesAreLeftOut) {
  EXPECT_EQ(Split("INSERT INTO t VALUES (1)\nGO 3\n\nGO\n   \nGO\nlast"),
            (Batches{{"INSERT INTO t VALUES (1)\n", 3}, {"last", 1}}));
  EXPECT_EQ(Split("x\nGO 0\nGO two\n"), (Batches{{"x\nGO 0\nGO two\n", 1}}));
  // A large count is a number, not copies of the batch.
  EXPECT_EQ(Split("x\nGO 1000000\n"), (Batches{{"x\n", kMaxBatchRepeat}}));
  EXPECT_TRUE(Split("").empty());
}

TEST(SplitBatchesTest, ARepeatCountAboveTheBoundIsRefusedNamingItsLine) {
  for (const std::string count : {"1000001", "2000000000", "99999999999999999999999"}) {
    const auto split = SplitBatches("x\r\nGO\r\ny\r\n  GO " + count + "\r\n");
    ASSERT_FALSE(split.ok()) << count;
    EXPECT_EQ(split.status().number(), kErrOverflow);
    EXPECT_NE(split.status().description().find("line 4 \"GO " + count + "\""), std::string::npos)
        << split.status().description();
  }
}

// A fresh program folder holding the delivered scripts, with commands recorded.
class SchemaCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& script : fs::directory_iterator(ZUNA_SQL_DIR)) {
      if (!script.is_regular_file()) continue;  // postgresql/, mariadb/: other servers' scripts
      fs::copy_file(script.path(), folder_ / script.path().filename().string());
    }
    Reload("");
  }

  void Reload(const std::string& ini) {
    sources_ = std::make_unique<sources::DataSources>(folder_.path(), config::IniFile::Parse(ini),
                                                      std::vector<std::string>{});
  }

  Status Run(SchemaCommand command, std::string_view server = "") {
    return RunSchemaCommand(command, *sources_, server, op_);
  }

  int CountTables(const fs::path& database) {
    auto connection = sql::sqlite::SqliteConnection::OpenFile(database);
    if (!connection.ok()) return -1;
    auto cursor = (*connection)->Query("SELECT count(*) FROM sys.Tables");
    std::vector<Value> row;
    if (!cursor.ok() || !*(*cursor)->Next(row)) return -1;
    return static_cast<int>(row[0].integer());
  }

  testkit::TempFolder folder_;
  std::unique_ptr<sources::DataSources> sources_;
  testkit::RecordingOperator op_;
};

TEST_F(SchemaCommandsTest, CreateAlterShowTheirMessagesInOrder) {
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase).ok());
  ASSERT_TRUE(Run(SchemaCommand::kCreateTable).ok());
  ASSERT_TRUE(Run(SchemaCommand::kAlter).ok());
  EXPECT_EQ(op_.messages,
            (std::vector<std::string>{
                "Database Created", "Table Created", "Table Altered",
                "information (ZUNA): Create DSN 'pay' for SQL Server,Otherwise error occure!!!"}));
  EXPECT_EQ(CountTables(folder_ / "zuna.db"), 67);
}

TEST_F(SchemaCommandsTest, CreateCommandsTrimTheServerNameAndAlterDoesNot) {
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase, "  ").ok());
  ASSERT_TRUE(Run(SchemaCommand::kCreateTable, " ").ok());
  const Status altered = Run(SchemaCommand::kAlter, " ");
  EXPECT_EQ(altered.number(), sql::kErrServerNotFound);
  EXPECT_EQ(op_.messages.back(), altered.ToString());
  EXPECT_EQ(op_.messages.size(), 3u);  // no "Table Altered", no reminder
}

TEST_F(SchemaCommandsTest, ConnectionFailsBeforeAMissingFileIsNoticed) {
  fs::remove(folder_ / "CreateTableScript.sql");
  EXPECT_EQ(Run(SchemaCommand::kCreateTable, "nosuch").number(), sql::kErrServerNotFound);
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase).ok());
  const Status missing = Run(SchemaCommand::kCreateTable);
  EXPECT_EQ(missing.number(), ENOENT);
  EXPECT_NE(missing.description().find("CreateTableScript.sql"), std::string::npos);
}

TEST_F(SchemaCommandsTest, WhatRanBeforeARejectedStatementStaysDone) {
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase).ok());
  ASSERT_TRUE(Run(SchemaCommand::kCreateTable).ok());
  testkit::WriteFile(folder_ / "ALTER.sql",
                     "ALTER TABLE personnel ADD first_added int;\r\n"
                     "ALTER TABLE no_such_table ADD never int;\r\n");
  const Status rejected = Run(SchemaCommand::kAlter);
  EXPECT_EQ(rejected.number(), sql::kErrInvalidObjectName);
  auto rs = sources_->OpenRecordset("select * from personnel", core::kPayConnection);
  ASSERT_TRUE(rs.ok());
  EXPECT_GE((*rs)->FindField("first_added"), 0);
}

TEST_F(SchemaCommandsTest, GoLinesSeparateBatchesOnlyWhereTheCommandSaysSo) {
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase).ok());
  // CATEGORY and 'GOVT' would be corrupted by removing every upper-case GO.
  testkit::WriteFile(folder_ / "CreateTableScript.sql",
                     "CREATE TABLE grade (CATEGORY varchar(10))\r\nGO\r\n"
                     "INSERT INTO grade (CATEGORY) VALUES ('GOVT')\r\nGO 2\r\n");
  ASSERT_TRUE(Run(SchemaCommand::kCreateTable).ok());
  auto rs = sources_->OpenRecordset("select * from grade", core::kPayConnection);
  ASSERT_TRUE(rs.ok());
  int rows = 0;
  for (; !(*rs)->Eof(); (void)(*rs)->MoveNext(), ++rows) {
    EXPECT_EQ((*(*rs)->FieldByName("category"))->ToText(), "GOVT");
  }
  EXPECT_EQ(rows, 2);

  // Alter executes its text as it stands: a GO line in it is the engine's to reject.
  testkit::WriteFile(folder_ / "ALTER.sql", "ALTER TABLE grade ADD x int;\r\nGO\r\n");
  EXPECT_FALSE(Run(SchemaCommand::kAlter).ok());
}

TEST_F(SchemaCommandsTest, DeleteDuplicatesGoesToTheFixedServerWhateverTheName) {
  fs::create_directory(folder_ / "fixed");
  Reload("[server]\nFixedServer = fixed\n");
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase, "fixed").ok());
  ASSERT_TRUE(Run(SchemaCommand::kCreateTable, "fixed").ok());
  const Status deleted = Run(SchemaCommand::kDeleteDuplicates, "nosuch");
  EXPECT_TRUE(deleted.ok()) << deleted.ToString();
  EXPECT_EQ(op_.messages.back(), "Duplicate Record Deleted");
  EXPECT_FALSE(fs::exists(folder_ / "zuna.db"));
}

TEST_F(SchemaCommandsTest, AnEmptyFixedServerIsTheBuiltInServerNotTheProgramFolder) {
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase).ok());
  ASSERT_TRUE(Run(SchemaCommand::kCreateTable).ok());
  Reload("[server]\nFixedServer =\n");
  // The built-in server is no folder here: DELETE.sql must not reach the program folder's zuna.db.
  EXPECT_EQ(Run(SchemaCommand::kDeleteDuplicates).number(), sql::kErrServerNotFound);
}

TEST_F(SchemaCommandsTest, ARepeatCountAboveTheBoundRunsNothingOfTheScript) {
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase).ok());
  testkit::WriteFile(folder_ / "CreateTableScript.sql",
                     "CREATE TABLE grade (code varchar(10))\r\nGO\r\n"
                     "INSERT INTO grade (code) VALUES ('A')\r\nGO 2000000000\r\n");
  const Status refused = Run(SchemaCommand::kCreateTable);
  EXPECT_EQ(refused.number(), kErrOverflow);
  EXPECT_NE(refused.description().find("CreateTableScript.sql: Overflow: line 4 \"GO 2000000000\""),
            std::string::npos)
      << refused.description();
  EXPECT_EQ(CountTables(folder_ / "zuna.db"), 0);
}

TEST_F(SchemaCommandsTest, CreatingTheDatabaseAgainReportsTheEnginesError) {
  ASSERT_TRUE(Run(SchemaCommand::kCreateDatabase).ok());
  const Status again = Run(SchemaCommand::kCreateDatabase);
  EXPECT_EQ(again.number(), sql::kErrDatabaseExists);
  EXPECT_EQ(op_.messages, (std::vector<std::string>{"Database Created", again.ToString()}));
}

}  // namespace
}  // namespace zuna::scripts
