// The import's logs on disk: every line there as soon as it is written, one failure one line, and
// the logs' own failures told instead of swallowed.
#include <gtest/gtest.h>

#include "import/anomaly_logs.h"
#include "import/import_run.h"
#include "import/skip_log.h"
#include "platform/files/fault_injecting_file_env.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/program_folder.h"
#include "tests/support/unicode_lines.h"

namespace zuna::transfer {
namespace {

namespace fs = std::filesystem;
using testkit::DbfBuilder;
using testkit::Lines;

// The complete lines of a Unicode log as it is on disk now.
Lines LinesOnDisk(const fs::path& path) { return testkit::UnicodeLines(path); }

// The bytes a Unicode log line of `characters` ASCII characters takes, with its CR LF.
constexpr std::uint64_t LineBytes(std::size_t characters) { return 2 * (characters + 2); }
constexpr std::uint64_t kBom = 2;

const Status kRefused(ErrorKind::kRefused, 8152, "String or binary data would be truncated.");

class SkipLogTest : public ::testing::Test {
 protected:
  testkit::TempFolder folder_;
  files::FaultInjectingFileEnv env_;
  SkipLog log_{env_};
  fs::path path_ = folder_ / "import_errors";
};

TEST_F(SkipLogTest, OneFailureIsOneLineOfFiveColumnsWhateverItsTextsHold) {
  ASSERT_TRUE(log_.Open(folder_.path()).ok());
  const Status multi_line(ErrorKind::kDatabase, 7,
                          "ERROR: value too long\r\nDETAIL: column emp_code\nHINT:\tshorten it");
  log_.FieldLost("odd\ttable", 12, "field\r\nname", multi_line);
  log_.RowLost("personnel", 13, kRefused);
  ASSERT_TRUE(log_.Close().ok());
  EXPECT_EQ(LinesOnDisk(path_),
            (Lines{"odd table\t12\tfield name\t7\tERROR: value too long DETAIL: column emp_code "
                   "HINT: shorten it",
                   "personnel\t13\t\t8152\tString or binary data would be truncated."}));
}

TEST_F(SkipLogTest, EachLineIsOnDiskAsSoonAsItIsWritten) {
  ASSERT_TRUE(log_.Open(folder_.path()).ok());
  log_.RowLost("personnel", 1, kRefused);
  // Read while the log is open, as after a kill: nothing may wait in a buffer.
  EXPECT_EQ(LinesOnDisk(path_),
            (Lines{"personnel\t1\t\t8152\tString or binary data would be truncated."}));
  log_.StepFailed("pk.sql", "", kRefused);
  EXPECT_EQ(LinesOnDisk(path_).size(), 2u);
  ASSERT_TRUE(log_.Close().ok());
}

TEST_F(SkipLogTest, FullDiskIsKeptAsTheLogsFailureWithTheEntriesItLacks) {
  const std::string first = "personnel\t1\t\t8152\tString or binary data would be truncated.";
  env_.FailWritesAfter("import_errors", kBom + LineBytes(first.size()) + 10);
  ASSERT_TRUE(log_.Open(folder_.path()).ok());
  for (std::uint64_t row = 1; row <= 3; ++row) log_.RowLost("personnel", row, kRefused);
  EXPECT_EQ(log_.failure().number(), ENOSPC);
  EXPECT_EQ(log_.entries(), 3u);
  EXPECT_EQ(log_.unwritten(), 2u);
  EXPECT_EQ(log_.rows_lost(), 3u);  // the counts never depend on the file
  EXPECT_EQ(log_.Close(), log_.failure());
  // Nothing was written after the hole: the cut line is the file's last bytes.
  EXPECT_EQ(LinesOnDisk(path_), (Lines{first}));
  EXPECT_EQ(fs::file_size(path_), kBom + LineBytes(first.size()) + 10);
}

TEST_F(SkipLogTest, LogThatCannotBeCreatedCountsEveryEntryAsUnwritten) {
  env_.FailOpen("import_errors", EACCES);
  EXPECT_EQ(log_.Open(folder_.path()).number(), EACCES);
  log_.RowLost("personnel", 1, kRefused);
  EXPECT_EQ(log_.unwritten(), 1u);
  EXPECT_EQ(log_.Close().number(), EACCES);
}

TEST_F(SkipLogTest, FailureToCloseIsTheLogsFailure) {
  env_.FailClose("import_errors", EIO);
  ASSERT_TRUE(log_.Open(folder_.path()).ok());
  log_.RowLost("personnel", 1, kRefused);
  EXPECT_EQ(log_.Close().number(), EIO);
  EXPECT_EQ(log_.failure().number(), EIO);
  EXPECT_EQ(log_.unwritten(), 0u);
  EXPECT_EQ(env_.open_files(), 0);
}

TEST_F(SkipLogTest, ReopeningStartsAfresh) {
  env_.FailClose("import_errors", EIO);
  ASSERT_TRUE(log_.Open(folder_.path()).ok());
  log_.RowLost("personnel", 1, kRefused);
  ASSERT_TRUE(log_.Open(folder_.path()).ok());  // the first file's close failed
  EXPECT_TRUE(log_.failure().ok());
  EXPECT_EQ(log_.entries(), 0u);
  EXPECT_EQ(log_.Close().number(), EIO);  // the armed fault holds for the new file too
}

// The import with its logs on a disk that fails.
class ImportLogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.CreateDatabase();
    folder_.UseFileEnv(env_);
  }

  // A pay-bill table whose first row has four dates out of range: four anomaly log lines.
  void Paybill() {
    DbfBuilder b;
    for (const char* f : {"PAY_MON", "PAY_YEAR"}) b.Field(f, 'N', 4);
    b.Field("DEPT_CODE", 'C', 4).Field("ESTB_CODE", 'C', 4);
    for (const char* f : {"BILL_DATE", "CHEQ_DATE", "VCHR_DATE", "CASH_DATE"}) {
      b.Field(f, 'D', 8);
    }
    b.Row({"   3", "2024", "D1", "E1", "18991231", "18000101", "17991231", "08990101"})
        .Write(folder_.data() / "paybill.dbf");
  }

  // A department table that lacks most catalogued columns: one import_errors entry each.
  void NarrowDepartment() {
    DbfBuilder().Field("DEPT_CODE", 'C', 4).Row({"D1"}).Write(folder_.data() / "department.dbf");
  }

  files::FaultInjectingFileEnv env_;
  testkit::ProgramFolder folder_{ZUNA_SQL_DIR};
  testkit::RecordingOperator op_;
};

TEST_F(ImportLogsTest, AnomalyLogIsOnDiskWhileTheWindowKeepsItOpen) {
  Paybill();
  files::LogSlot slot;  // the window's, which keeps the pay-bill log open after the import
  SkipLog skips;
  testkit::RecordingWindow window;
  ImportContext context{folder_.sources(), folder_.data(), folder_.path(), "", op_, slot, skips};
  RunImport(context, window);
  EXPECT_TRUE(slot.has_stream());
  EXPECT_EQ(LinesOnDisk(folder_.path() / "paybill_rpt").size(), 4u);
  EXPECT_TRUE(slot.Release().ok());
}

TEST_F(ImportLogsTest, ClosingMessageTellsThatTheFailureLogFilledTheDisk) {
  NarrowDepartment();
  env_.FailWritesAfter("import_errors", kBom + 100);
  const ImportSummary summary = folder_.Import(op_);
  ASSERT_GE(summary.skipped_failures, 2u);
  EXPECT_EQ(summary.log_failure.number(), ENOSPC);
  EXPECT_EQ(summary.unlisted_failures,
            summary.skipped_failures - LinesOnDisk(folder_.path() / "import_errors").size());
  EXPECT_EQ(op_.messages.back(),
            "information: 0 rows and " + std::to_string(summary.fields_lost) +
                " fields could not be copied; the log import_errors could not be written (error "
                "28: " +
                (folder_.path() / "import_errors").string() + ": No space left on device): " +
                std::to_string(summary.unlisted_failures) + " of " +
                std::to_string(summary.skipped_failures) + " failures are not listed in it.");
}

TEST_F(ImportLogsTest, ClosingMessageTellsThatTheFailureLogCouldNotBeClosed) {
  NarrowDepartment();
  env_.FailClose("import_errors", EIO);
  const ImportSummary summary = folder_.Import(op_);
  EXPECT_FALSE(summary.log_complete());
  EXPECT_EQ(summary.unlisted_failures, 0u);
  const std::string& message = op_.messages.back();
  EXPECT_NE(message.find("the log import_errors could not be written (error 5: "),
            std::string::npos)
      << message;
  EXPECT_TRUE(message.ends_with(": Input/output error) and may lack failures.")) << message;
}

TEST_F(ImportLogsTest, CleanImportWhoseLogCannotBeCreatedSaysSo) {
  env_.FailOpen("import_errors", EACCES);
  const ImportSummary summary = folder_.Import(op_);
  EXPECT_EQ(summary.rows_lost + summary.fields_lost, 0u);
  EXPECT_EQ(summary.log_failure.number(), EACCES);
  EXPECT_NE(op_.messages.back().find("could not be written (error 13: "), std::string::npos)
      << op_.messages.back();
}

TEST_F(ImportLogsTest, EachAnomalyLineTheDiskRefusedIsListedInImportErrors) {
  Paybill();
  const std::string first = "3,2024,dept_code & estb_code (D1  ,E1  )(bill_date -31/12/1899)";
  env_.FailWritesAfter("paybill_rpt", kBom + LineBytes(first.size()));
  const ImportSummary summary = folder_.Import(op_);
  EXPECT_EQ(LinesOnDisk(folder_.path() / "paybill_rpt"), (Lines{first}));
  Lines missing;
  for (const std::string& line : LinesOnDisk(folder_.path() / "import_errors")) {
    if (line.starts_with("paybill\t0\tpaybill_rpt\t28\t")) missing.push_back(line);
  }
  ASSERT_EQ(missing.size(), 3u);
  EXPECT_TRUE(missing[0].ends_with("row 1: " + (folder_.path() / "paybill_rpt").string() +
                                   ": No space left on device"))
      << missing[0];
  EXPECT_TRUE(summary.log_complete());
}

TEST_F(ImportLogsTest, AnomalyLogThatCannotBeCreatedIsListedWithEachLineItLacks) {
  Paybill();
  env_.FailOpen("paybill_rpt", EACCES);
  folder_.Import(op_);
  Lines listed;
  for (const std::string& line : LinesOnDisk(folder_.path() / "import_errors")) {
    if (line.starts_with("paybill\t0\tpaybill_rpt\t13\t")) listed.push_back(line);
  }
  EXPECT_EQ(listed.size(), 1u + 4u);  // the creation, then each of the four lines
  EXPECT_FALSE(fs::exists(folder_.path() / "paybill_rpt"));
}

}  // namespace
}  // namespace zuna::transfer
