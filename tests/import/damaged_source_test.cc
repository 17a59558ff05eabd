// Damaged FoxPro tables and odd entries in the data folder, through the whole import: every row
// lands or is counted lost, every field that cannot be read is listed with its source row and
// stored text, and nothing is called missing that is there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "import/import_run.h"
#include "platform/dbf/dbf_errors.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/program_folder.h"
#include "tests/support/recording_operator.h"

namespace zuna::transfer {
namespace {

namespace fs = std::filesystem;
using testkit::DbfBuilder;
using testkit::Lines;

class DamagedSourceTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.CreateDatabase(); }

  DbfBuilder Department(int rows) {
    DbfBuilder b;
    b.Field("DEPT_CODE", 'C', 4).Field("DEPT_NAME", 'C', 10).Field("USER_ID", 'C', 8);
    b.Field("DDO_CODE", 'C', 10).Field("OPR_DATE", 'D', 8);
    for (int i = 0; i < rows; ++i) b.Row({"D" + std::to_string(i), "NAME", "U", "X", "20240101"});
    return b;
  }

  // The lines of import_errors about `table`.
  Lines ErrorsOf(const std::string& table) {
    Lines lines;
    for (const std::string& line : folder_.LogLines("import_errors")) {
      if (line.starts_with(table + "\t")) lines.push_back(line);
    }
    return lines;
  }

  bool Shown(const std::string& message) {
    return std::find(op_.messages.begin(), op_.messages.end(), message) != op_.messages.end();
  }

  testkit::ProgramFolder folder_{ZUNA_SQL_DIR};
  fs::path data_ = folder_.data();
  testkit::RecordingOperator op_;
};

TEST_F(DamagedSourceTest, ATableThatDoesNotOpenLosesTheRowsItsHeaderAnnounces) {
  // The header says 200 rows; its length is one byte too long, so the table is refused.
  const std::uint16_t length = 32 + 5 * 32 + 1;
  Department(3).HeaderRowCount(200).HeaderLength(length + 1).Write(data_ / "department.dbf");

  const ImportSummary summary = folder_.Import(op_);
  EXPECT_EQ(summary.rows_lost, 200u);
  const Lines errors = ErrorsOf("department");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(
      errors[0].starts_with("department\t0\t\t15\t200 rows not copied: the table did not "
                            "open; its header announces them: "))
      << errors[0];
  EXPECT_NE(errors[0].find("the header length 194 does not fit"), std::string::npos) << errors[0];
  EXPECT_EQ(op_.messages.back(),
            "information: 200 rows and 0 fields could not be copied; every failure is listed in "
            "the log import_errors.");
  EXPECT_EQ(folder_.Rows("select count(*) from department"), (Lines{"0"}));
  const auto& report = summary.tables[1];
  ASSERT_EQ(report.table, "department");
  EXPECT_EQ(report.rows_refused, 200u);
  EXPECT_EQ(report.header_rows, 200u);
}

TEST_F(DamagedSourceTest, ATableWhoseHeaderCannotBeReadLosesAnUnknownNumberOfRows) {
  ASSERT_EQ(::mkfifo((data_ / "department.dbf").c_str(), 0600), 0);
  const ImportSummary summary = folder_.Import(op_);
  EXPECT_FALSE(Shown("information: Department Table Not Found"));
  EXPECT_TRUE(summary.skipped());
  const Lines errors = ErrorsOf("department");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].starts_with(
      "department\t0\topen source\t15\tan unknown number of rows not copied: "))
      << errors[0];
  EXPECT_NE(errors[0].find("it is a named pipe (FIFO)"), std::string::npos) << errors[0];
  EXPECT_EQ(op_.messages.back(),
            "information: 0 rows and 0 fields could not be copied, and an unknown number of rows "
            "of 1 table that could not be read; every failure is listed in the log "
            "import_errors.");
}

TEST_F(DamagedSourceTest, AFolderOrALinkLoopNamedLikeATableIsAFailureNotAMissingTable) {
  fs::create_directory(data_ / "department.dbf");
  fs::create_symlink("acting.dbf", data_ / "acting.dbf");
  const ImportSummary summary = folder_.Import(op_);
  EXPECT_FALSE(Shown("information: Department Table Not Found"));
  EXPECT_FALSE(Shown("information: Acting Table Not Found"));
  EXPECT_TRUE(summary.skipped());
  const Lines department = ErrorsOf("department");
  ASSERT_EQ(department.size(), 1u);
  EXPECT_NE(department[0].find("open source\t15\t"), std::string::npos) << department[0];
  EXPECT_NE(department[0].find("it is a folder"), std::string::npos) << department[0];
  const Lines acting = ErrorsOf("acting");
  ASSERT_EQ(acting.size(), 1u);
  EXPECT_NE(acting[0].find("open source\t40\t"), std::string::npos) << acting[0];
  EXPECT_NE(acting[0].find("Too many levels of symbolic links"), std::string::npos) << acting[0];
  EXPECT_NE(op_.messages.back().find("an unknown number of rows of 2 tables"), std::string::npos)
      << op_.messages.back();
}

TEST_F(DamagedSourceTest, ValuesThatCannotBeDecodedAreLostFieldsWithTheirRowAndStoredText) {
  DbfBuilder b;
  for (const char* f : {"PAY_MON", "PAY_YEAR"}) b.Field(f, 'N', 4);
  b.Field("DEPT_CODE", 'C', 4).Field("ESTB_CODE", 'C', 4).Field("BILL_AMT", 'N', 6);
  for (const char* f : {"BILL_DATE", "CHEQ_DATE"}) b.Field(f, 'D', 8);
  b.Row({"   3", "2024", "D1", "E1", "  1520", "20240105", "18991231"})
      .Row({"   4", "12AB", "D2", "E2", "******", "20231345", "18991231"})
      .Write(data_ / "paybill.dbf");
  const ImportSummary summary = folder_.Import(op_);

  Lines row_errors;
  for (const std::string& line : ErrorsOf("paybill")) {
    if (!line.starts_with("paybill\t0\t")) row_errors.push_back(line);
  }
  ASSERT_EQ(row_errors.size(), 3u);
  EXPECT_TRUE(row_errors[0].starts_with("paybill\t2\tpay_year\t9\t")) << row_errors[0];
  EXPECT_NE(row_errors[0].find("holds '12AB'"), std::string::npos) << row_errors[0];
  EXPECT_TRUE(row_errors[1].starts_with("paybill\t2\tbill_date\t2034\t")) << row_errors[1];
  EXPECT_NE(row_errors[1].find("holds '20231345'"), std::string::npos) << row_errors[1];
  EXPECT_TRUE(row_errors[2].starts_with("paybill\t2\tbill_amt\t39\t")) << row_errors[2];
  EXPECT_NE(row_errors[2].find("holds '******'"), std::string::npos) << row_errors[2];

  // Both rows arrive; the unreadable values stay unassigned, never 01/01/1900 by the date rule.
  EXPECT_EQ(folder_.Rows("select pay_mon, pay_year, bill_amt, bill_date, cheq_date from paybill "
                         "order by pay_mon"),
            (Lines{"3|2024|1520|05/01/2024|01/01/1900", "4|<null>|<null>|<null>|01/01/1900"}));
  // The anomaly log keeps its lines and their form: only real replacements are written, and
  // an unreadable code contributes nothing, as a null does.
  EXPECT_EQ(folder_.LogLines("paybill_rpt"),
            (Lines{"3,2024,dept_code & estb_code (D1  ,E1  )(cheq_date -31/12/1899)",
                   "4,,dept_code & estb_code (D2  ,E2  )(cheq_date -31/12/1899)"}));
  const auto& report = *std::find_if(summary.tables.begin(), summary.tables.end(),
                                     [](const TableReport& r) { return r.table == "paybill"; });
  EXPECT_EQ(report.rows_saved, 2u);
  // Every lost field is counted: the three values and the catalogued columns the table lacks.
  std::uint64_t column_fields = 0;
  for (const std::string& line : ErrorsOf("paybill")) {
    if (line.starts_with("paybill\t0\t")) column_fields += 2;  // one line for both rows
  }
  EXPECT_EQ(summary.fields_lost, 3u + column_fields);
  EXPECT_NE(
      op_.messages.back().find(std::to_string(3 + column_fields) + " fields could not be copied"),
      std::string::npos)
      << op_.messages.back();
}

}  // namespace
}  // namespace zuna::transfer
