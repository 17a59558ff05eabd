// The log slot: each line on disk as soon as it is written, a broken log refusing every later
// line, and a failed close told to the next Open or Release.
#include "platform/files/log_slot.h"

#include <gtest/gtest.h>

#include "platform/files/fault_injecting_file_env.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/unicode_lines.h"

namespace zuna::files {
namespace {

using Lines = std::vector<std::string>;
using testkit::UnicodeLines;

// The bytes a Unicode log line of `characters` ASCII characters takes, with its CR LF.
constexpr std::uint64_t LineBytes(std::size_t characters) { return 2 * (characters + 2); }
constexpr std::uint64_t kBom = 2;

class LogSlotTest : public ::testing::Test {
 protected:
  testkit::TempFolder folder_;
  FaultInjectingFileEnv env_;
  LogSlot slot_{env_};
};

TEST_F(LogSlotTest, EachLineIsOnDiskWhileTheLogStaysOpen) {
  ASSERT_TRUE(slot_.Open(folder_.path(), "paybill_rpt").ok());
  ASSERT_TRUE(slot_.WriteLine("3,2024,dept_code & estb_code (D1,E1)(bill_date -31/12/1899)").ok());
  EXPECT_EQ(UnicodeLines(folder_ / "paybill_rpt"),
            (Lines{"3,2024,dept_code & estb_code (D1,E1)(bill_date -31/12/1899)"}));
  EXPECT_TRUE(slot_.Release().ok());
}

TEST_F(LogSlotTest, AFailedLineRefusesEveryLaterOne) {
  env_.FailWritesAfter("personnel_rpt", kBom + LineBytes(5) + 1);
  ASSERT_TRUE(slot_.Open(folder_.path(), "personnel_rpt").ok());
  ASSERT_TRUE(slot_.WriteLine("line1").ok());
  const Status second = slot_.WriteLine("line2");
  EXPECT_EQ(second.number(), ENOSPC);
  EXPECT_NE(second.description().find("personnel_rpt: No space left on device"), std::string::npos);
  EXPECT_EQ(slot_.WriteLine("line3"), second);
  EXPECT_EQ(UnicodeLines(folder_ / "personnel_rpt"), (Lines{"line1"}));
  EXPECT_TRUE(slot_.Release().ok());  // already reported line by line
  EXPECT_EQ(env_.open_files(), 0);
}

TEST_F(LogSlotTest, ALogThatCannotBeCreatedRefusesItsLines) {
  env_.FailOpen("personnel_rpt", EACCES);
  EXPECT_EQ(slot_.Open(folder_.path(), "personnel_rpt").number(), EACCES);
  EXPECT_EQ(slot_.WriteLine("line").number(), EACCES);
  EXPECT_TRUE(slot_.Release().ok());
  EXPECT_TRUE(slot_.WriteLine("no log is open").ok());  // dropped, as before any log
}

TEST_F(LogSlotTest, ReleaseAndTheNextOpenReportAFailedClose) {
  env_.FailClose("personnel_rpt", EIO);
  ASSERT_TRUE(slot_.Open(folder_.path(), "personnel_rpt").ok());
  const Status replaced = slot_.Open(folder_.path(), "paybill_rpt");
  EXPECT_EQ(replaced.number(), EIO);
  EXPECT_NE(replaced.description().find("personnel_rpt"), std::string::npos);
  EXPECT_TRUE(slot_.has_stream());  // the new log is open all the same
  ASSERT_TRUE(slot_.Open(folder_.path(), "personnel_rpt").ok());
  EXPECT_EQ(slot_.Release().number(), EIO);
  EXPECT_EQ(env_.open_files(), 0);
  EXPECT_EQ(env_.unchecked_closes(), 0);
}

}  // namespace
}  // namespace zuna::files
