// Faults from outside the tool: each ends as the tool promises, with nothing lost that could
// have been kept and no crash.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "pdf/txt_to_pdf.h"
#include "report/report_window_model.h"
#include "scripts/schema_commands.h"
#include "tests/support/program_folder.h"

namespace zuna {
namespace {

namespace fs = std::filesystem;
using testkit::DbfBuilder;
using testkit::Lines;

class FaultTest : public ::testing::Test {
 protected:
  void Department(int rows = 2) {
    DbfBuilder b;
    b.Field("DEPT_CODE", 'C', 4).Field("DEPT_NAME", 'C', 10).Field("USER_ID", 'C', 8);
    b.Field("DDO_CODE", 'C', 10).Field("OPR_DATE", 'D', 8);
    for (int i = 0; i < rows; ++i) b.Row({"D" + std::to_string(i), "NAME", "U", "X", "20240101"});
    b.Write(folder_.data() / "department.dbf");
  }

  testkit::ProgramFolder folder_{ZUNA_SQL_DIR};
  testkit::RecordingOperator op_;
};

TEST_F(FaultTest, ReadOnlyProgramFolderLosesTheLogsButCopiesTheRows) {
  // The database lies elsewhere, writable; only the program folder refuses new files.
  const fs::path store = fs::temp_directory_path() / ("zuna-store-" + std::to_string(::getpid()));
  fs::create_directories(store);
  folder_.CreateDatabase();
  fs::rename(folder_.path() / "zuna.db", store / "zuna.db");
  folder_.set_ini("[pay]\nDatabase = " + (store / "zuna.db").string() + "\n");
  ASSERT_EQ(folder_.Rows("select count(*) from department"), (Lines{"0"}));
  Department();
  DbfBuilder()
      .Field("EMP_CODE", 'C', 4)
      .Field("DATE_BIRTH", 'D', 8)
      .Row({"E1", "18991231"})
      .Write(folder_.data() / "personnel.dbf");

  ::chmod(folder_.path().c_str(), 0555);
  ::chmod(store.c_str(), 0777);
  ::chmod((store / "zuna.db").c_str(), 0666);
  const int failed = testkit::RunUnprivileged([&] {
    testkit::RecordingOperator op;
    const transfer::ImportSummary summary = folder_.Import(op);
    // The logs could not be created: that is said, and the rows still arrive.
    return summary.skipped() && op.messages.back().find("could not be copied") != std::string::npos
               ? 0
               : 1;
  });
  ::chmod(folder_.path().c_str(), 0755);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(folder_.Rows("select count(*) from department"), (Lines{"2"}));
  EXPECT_EQ(folder_.Rows("select date_birth from personnel"), (Lines{"01/01/1900"}));
  EXPECT_FALSE(fs::exists(folder_.path() / "personnel_rpt"));
  EXPECT_FALSE(fs::exists(folder_.path() / "import_errors"));
  fs::remove_all(store);
}

TEST_F(FaultTest, MissingTargetDatabaseLosesEveryRowAndSaysSo) {
  Department(3);
  const transfer::ImportSummary summary = folder_.Import(op_);
  EXPECT_EQ(summary.rows_lost, 3u);
  const Lines errors = folder_.LogLines("import_errors");
  ASSERT_FALSE(errors.empty());
  EXPECT_TRUE(errors[0].starts_with("department\t0\t\t4060\t3 rows not copied")) << errors[0];
  EXPECT_EQ(op_.messages[op_.messages.size() - 2], "Completed");
}

TEST_F(FaultTest, MissingDataFolderShowsEveryNotFoundMessage) {
  folder_.CreateDatabase();
  fs::remove_all(folder_.data());
  folder_.Import(op_);
  EXPECT_EQ(op_.messages.size(), 26u + 10u + 29u + 1u);
  EXPECT_EQ(op_.messages.back(), "Completed");
}

TEST_F(FaultTest, ATableThatCannotBeReadAfterTheExistenceTestIsSkippedAndListed) {
  folder_.CreateDatabase();
  Department();
  ::chmod((folder_.data() / "department.dbf").c_str(), 0);
  ::chmod(folder_.path().c_str(), 0777);  // the unprivileged import may write everything else
  ::chmod((folder_.path() / "zuna.db").c_str(), 0666);
  const int failed = testkit::RunUnprivileged([&] {
    testkit::RecordingOperator op;
    folder_.Import(op);
    return op.messages.back().find("could not be copied") == std::string::npos ? 1 : 0;
  });
  EXPECT_EQ(failed, 0);
  const Lines errors = folder_.LogLines("import_errors");
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors[0].find("department\t0\topen source\t13\t"), std::string::npos) << errors[0];
}

TEST_F(FaultTest, TruncatedTableDeliversItsCompleteRows) {
  folder_.CreateDatabase();
  Department(3);
  const fs::path file = folder_.data() / "department.dbf";
  fs::resize_file(file, fs::file_size(file) - 10);
  const transfer::ImportSummary summary = folder_.Import(op_);
  EXPECT_EQ(folder_.Rows("select count(*) from department"), (Lines{"2"}));
  const auto& report = summary.tables[1];
  EXPECT_EQ(report.table, "department");
  EXPECT_EQ(report.header_rows, 3u);
  EXPECT_EQ(report.rows_in_file, 2u);
}

TEST_F(FaultTest, MissingMemoFileFailsThatTableOnly) {
  folder_.CreateDatabase();
  Department();
  DbfBuilder(0xF5)
      .Field("DSGN_CODE", 'C', 4)
      .Field("REMARKS", 'M', 10)
      .Row({"A", "1"})
      .Write(folder_.data() / "acting.dbf");
  folder_.Import(op_);
  EXPECT_EQ(folder_.Rows("select count(*) from department"), (Lines{"2"}));
  const Lines errors = folder_.LogLines("import_errors");
  ASSERT_FALSE(errors.empty());
  // The table did not open: its one row, as its header announces, is lost and counted.
  EXPECT_TRUE(errors[0].starts_with("acting\t0\t\t41\t1 rows not copied: ")) << errors[0];
}

TEST_F(FaultTest, DiskFullWhileWritingThePdfIsReportedOnce) {
  testkit::WriteFile(folder_.path() / "text", std::string(100000, 'x') + "\r\n");
  pdf::TxtToPdf writer(op_);
  pdf::PdfOptions options;
  options.creator.clear();
  writer.ConvertTextToPdf(folder_.path() / "text", "/dev/full", options);
  ASSERT_EQ(op_.messages.size(), 1u);
  EXPECT_NE(op_.messages[0].find("No space left on device"), std::string::npos);
  EXPECT_TRUE(writer.failed());
}

TEST_F(FaultTest, UndefinedOdbcDataSourceLosesTheRowsAndStopsTheReport) {
  folder_.set_ini("[pay]\nDriver = odbc\nDSN = no_such_source\n");
  Department();
  const transfer::ImportSummary summary = folder_.Import(op_);
  EXPECT_EQ(summary.rows_lost, 2u);
  EXPECT_NE(folder_.LogLines("import_errors")[0].find("IM002"), std::string::npos);
  report::ReportWindowModel report(folder_.sources(), op_);
  const Status loaded = report.Load();
  EXPECT_FALSE(loaded.ok());
  EXPECT_NE(loaded.description().find("IM002"), std::string::npos);
}

TEST_F(FaultTest, AScriptThatIsNotWindows1252TextEndsWithTheEnginesError) {
  testkit::WriteFile(folder_.path() / "CreateTableScript.sql",
                     std::string("CREATE TABLE t (name varchar(5));\r\n"
                                 "INSERT INTO t VALUES ('\xE2\x82\xAC');\r\n\x00\xFF\xFE binary",
                                 76));
  folder_.CreateDatabase();
  testkit::RecordingOperator op;
  const Status status =
      scripts::RunSchemaCommand(scripts::SchemaCommand::kCreateTable, folder_.sources(), "", op);
  EXPECT_FALSE(status.ok());
  ASSERT_EQ(op.messages.size(), 1u);
  EXPECT_TRUE(op.messages[0].starts_with("error ")) << op.messages[0];
}

}  // namespace
}  // namespace zuna
