// The import's logs on disk: every line there as soon as it is written, one failure one line, and
// the logs' own failures told instead of swallowed.
#include <gtest/gtest.h>

#include "import/anomaly_logs.h"
#include "import/import_run.h"
#include "import/skip_log.h"
#include "platform/files/fault_injecting_file_env.h"
#include "platform/text/encoding.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/program_folder.h"

namespace zuna::import {
namespace {

namespace fs = std::filesystem;
using testing::DbfBuilder;
using testing::Lines;

// The complete lines (ended by CR LF) of a Unicode log as it is on disk now.
Lines LinesOnDisk(const fs::path& path) {
  const std::string bytes = testing::ReadFile(path);
  if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return {"<no byte-order mark>"};
  std::string utf8;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text::AppendUtf8(
        static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8),
        utf8);
  }
  Lines lines;
  for (std::size_t start = 0, end; (end = utf8.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    lines.push_back(utf8.substr(start, end - start));
  }
  return lines;
}

// The bytes a Unicode log line of `characters` ASCII characters takes, with its CR LF.
constexpr std::uint64_t LineBytes(std::size_t characters) { return 2 * (characters + 2); }
constexpr std::uint64_t kBom = 2;

const Status kRefused(ErrorKind::kRefused, 8152, "String or binary data would be truncated.");

class SkipLogTest : public ::testing::Test {
 protected:
  testing::TempFolder folder_;
  files::FaultInjectingFileEnv env_;
  SkipLog log_{env_};
  fs::path path_ = folder_ / "import_errors";
};

TEST_F(SkipLogTest, EachLineIsOnDiskAsSoonAsItIsWritten) {
  ASSERT_TRUE(log_.Open(folder_.path()).ok());
  log_.RowLost("personnel", 1, kRefused);
  // Read while the log is open, as after a kill: nothing may wait in a buffer.
  EXPECT_EQ(LinesOnDisk(path_),
            (Lines{"personnel\t1\t\t8152\tString or binary data would be truncated."}));
  log_.StepFailed("pk.sql", "", kRefused);
  EXPECT_EQ(LinesOnDisk(path_).size(), 2u);
  log_.Close();
}

class LogSlotTest : public ::testing::Test {
 protected:
  testing::TempFolder folder_;
  files::FaultInjectingFileEnv env_;
  LogSlot slot_{env_};
};

TEST_F(LogSlotTest, EachLineIsOnDiskWhileTheLogStaysOpen) {
  ASSERT_TRUE(slot_.Open(folder_.path(), kPaybillLogName).ok());
  ASSERT_TRUE(slot_.WriteLine("3,2024,dept_code & estb_code (D1,E1)(bill_date -31/12/1899)").ok());
  EXPECT_EQ(LinesOnDisk(folder_ / "paybill_rpt"),
            (Lines{"3,2024,dept_code & estb_code (D1,E1)(bill_date -31/12/1899)"}));
  slot_.Release();
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
  testing::ProgramFolder folder_{ZUNA_SQL_DIR};
  testing::RecordingOperator op_;
};

TEST_F(ImportLogsTest, AnomalyLogIsOnDiskWhileTheWindowKeepsItOpen) {
  Paybill();
  ImportState state;  // the window's slots, which keep the pay-bill log open after the import
  SkipLog skips;
  testing::RecordingWindow window;
  ImportContext context{folder_.sources(), folder_.data(), folder_.path(), "", op_, state, skips};
  RunImport(context, window);
  EXPECT_TRUE(state.log.has_stream());
  EXPECT_EQ(LinesOnDisk(folder_.path() / "paybill_rpt").size(), 4u);
  state.log.Release();
}

}  // namespace
}  // namespace zuna::import
