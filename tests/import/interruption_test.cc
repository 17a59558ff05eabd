// The import's hooks for the command line: progress at row boundaries, and a requested stop that
// ends the import between rows with what was saved committed and said.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>

#include "import/import_run.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/program_folder.h"
#include "tests/support/recording_operator.h"

namespace zuna::transfer {
namespace {

using testkit::Lines;

// Records every call; `on_rows` and `on_table` may act on them (ask for a stop).
class RecordingObserver : public ImportObserver {
 public:
  void RowsDone(std::string_view table, std::uint64_t rows, std::uint64_t header_rows) override {
    calls.push_back(std::string(table) + " " + std::to_string(rows) + "/" +
                    std::to_string(header_rows));
    if (on_rows) on_rows(table, rows);
  }
  void TableDone(const TableReport& report) override {
    if (report.outcome == TableReport::Outcome::kCopied) calls.push_back(report.table + " done");
    if (on_table) on_table(report);
  }

  Lines calls;
  std::function<void(std::string_view, std::uint64_t)> on_rows;
  std::function<void(const TableReport&)> on_table;
};

class InterruptionTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.CreateDatabase(); }

  // A department table of `rows` rows, codes 1, 2, ...
  void Departments(int rows) {
    testkit::DbfBuilder b;
    b.Field("DEPT_CODE", 'C', 4).Field("DEPT_NAME", 'C', 10);
    for (int i = 1; i <= rows; ++i) b.Row({std::to_string(i), "name"});
    b.Write(folder_.data() / "department.dbf");
  }

  void Acting() {
    testkit::DbfBuilder()
        .Field("DSGN_CODE", 'C', 4)
        .Row({"A1"})
        .Write(folder_.data() / "acting.dbf");
  }

  ImportSummary Import() { return folder_.Import(op_, &window_, "", &observer_, &stop_); }
  Lines Rows(const std::string& query) { return folder_.Rows(query); }

  testkit::ProgramFolder folder_{ZUNA_SQL_DIR};
  testkit::RecordingOperator op_;
  testkit::RecordingWindow window_;
  RecordingObserver observer_;
  StopRequest stop_;
};

TEST_F(InterruptionTest, ProgressComesEveryThousandTwentyFourRowsWithTheHeaderCount) {
  Departments(2500);
  Import();
  Lines department;
  for (const std::string& call : observer_.calls) {
    if (call.starts_with("department")) department.push_back(call);
  }
  EXPECT_EQ(department, (Lines{"department 0/2500", "department 1024/2500", "department 2048/2500",
                               "department done"}));
  EXPECT_EQ(Rows("select count(*) from department"), (Lines{"2500"}));
}

TEST_F(InterruptionTest, AStopInsideATableEndsAtTheRowBoundaryWithItsRowsCommitted) {
  Departments(2500);
  Acting();
  observer_.on_rows = [this](std::string_view table, std::uint64_t rows) {
    if (table == "department" && rows == 1024) stop_.Request(SIGINT);
  };
  const ImportSummary summary = Import();

  EXPECT_TRUE(summary.interrupted);
  EXPECT_EQ(summary.interrupted_at, "department");
  EXPECT_EQ(summary.interrupted_after_row, 1024u);
  ASSERT_FALSE(summary.tables.empty());
  const TableReport& department = summary.tables.back();
  EXPECT_EQ(department.table, "department");
  EXPECT_TRUE(department.interrupted);
  EXPECT_EQ(department.rows_read, 1024u);
  EXPECT_EQ(department.rows_saved, 1024u);
  EXPECT_EQ(department.header_rows, 2500u);
  // The group of saves was committed: every row counted saved is in the table, the last one
  // included.
  EXPECT_EQ(Rows("select count(*), max(cast(dept_code as int)) from department"),
            (Lines{"1024|1024"}));
  // Nothing after the stop ran: no later table, no master-data script, no pk.sql, no Completed.
  EXPECT_EQ(Rows("select count(*) from acting"), (Lines{"0"}));
  EXPECT_EQ(Rows("select count(*) from qualification"), (Lines{"0"}));
  EXPECT_EQ(Rows("select count(*) from sqlite_master where name = 'ix_department_dept_code'"),
            (Lines{"0"}));
  EXPECT_EQ(observer_.calls.back(), "department done");
  EXPECT_EQ(std::count(op_.messages.begin(), op_.messages.end(), "Completed"), 0);
  EXPECT_EQ(window_.calls, (Lines{"show label", "disable import", "hide label", "enable report"}));

  const Lines errors = folder_.LogLines("import_errors");
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.back(),
            "department\t0\t\t4\tthe import was interrupted by SIGINT after source row 1024 of "
            "department: every row up to there is saved or listed here; the rest of department "
            "and the tables after it were not copied, and neither the installation step nor "
            "pk.sql ran");
}

TEST_F(InterruptionTest, AStopBetweenTablesEndsBeforeTheNextTableBegins) {
  Departments(3);
  Acting();
  observer_.on_table = [this](const TableReport& report) {
    if (report.table == "department") stop_.Request(SIGTERM);
  };
  const ImportSummary summary = Import();
  EXPECT_TRUE(summary.interrupted);
  EXPECT_EQ(summary.interrupted_at, "ddo");  // the table after department
  EXPECT_EQ(summary.interrupted_after_row, 0u);
  EXPECT_FALSE(summary.tables.back().interrupted);  // department itself was copied whole
  EXPECT_EQ(Rows("select count(*) from department"), (Lines{"3"}));
  EXPECT_EQ(Rows("select count(*) from acting"), (Lines{"0"}));
  const Lines errors = folder_.LogLines("import_errors");
  ASSERT_FALSE(errors.empty());
  EXPECT_TRUE(
      errors.back().starts_with("ddo\t0\t\t4\tthe import was interrupted by SIGTERM before "
                                "table ddo began: "))
      << errors.back();
}

TEST_F(InterruptionTest, WithoutAStopRequestTheImportRunsToItsEnd) {
  Departments(3);
  const ImportSummary summary = Import();
  EXPECT_FALSE(summary.interrupted);
  EXPECT_EQ(std::count(op_.messages.begin(), op_.messages.end(), "Completed"), 1);
  EXPECT_EQ(Rows("select count(*) from sqlite_master where name = 'ix_department_dept_code'"),
            (Lines{"1"}));
}

}  // namespace
}  // namespace zuna::transfer
