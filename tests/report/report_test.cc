#include <gtest/gtest.h>

#include <cerrno>

#include "core/connection_texts.h"
#include "platform/recordset/quoted_name.h"
#include "platform/sources/data_sources.h"
#include "report/export_report.h"
#include "report/report_window_model.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/recording_operator.h"
#include "tests/support/run_command.h"

namespace zuna::report {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr std::string_view kTop =
    " __________________________________________________________________________ ";
constexpr std::string_view kHeader1 =
    "|       Table Name        |  No. Of Records  | No. Of Records | Difference |";
constexpr std::string_view kHeader2 =
    "|                         |  in Foxpro Table |  in SQL Table  |            |";
constexpr std::string_view kSeparator =
    "+-------------------------+------------------+----------------+------------+";

// A program folder with an empty database and a data folder; tables are made per test.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testkit::WriteFile(folder_ / "zuna.db", "");
    fs::create_directory(folder_ / "zuna");
    sources_ = std::make_unique<sources::DataSources>(folder_.path(), config::IniFile(),
                                                      std::vector<std::string>{});
    auto connection = sources_->OpenConnection(core::kPayConnection);
    ASSERT_TRUE(connection.ok());
    connection_ = *connection;
  }

  // A SQL Server table with `sql_rows` rows and, unless negative, a FoxPro table with
  // `fox_rows`.
  void Table(const std::string& name, int sql_rows, int fox_rows) {
    const std::string bracketed = recordset::BracketName(name);
    ASSERT_TRUE(connection_->Execute("CREATE TABLE " + bracketed + " (a int)").ok());
    for (int i = 0; i < sql_rows; ++i) {
      ASSERT_TRUE(connection_->Execute("INSERT INTO " + bracketed + " VALUES (1)").ok());
    }
    if (fox_rows < 0) return;
    testkit::DbfBuilder b;
    b.Field("A", 'N', 3);
    for (int i = 0; i < fox_rows; ++i) b.Row({"1"});
    b.Write(folder_ / "zuna" / (name + ".dbf"));
  }

  // The report's text file as lines (CR LF removed, bytes as written).
  Lines TextLines() {
    const std::string bytes = testkit::ReadFile(folder_ / "data_transfer_rpt");
    Lines lines;
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
  }

  static std::string DataLine(const std::string& name, const std::string& fox,
                              const std::string& sql, const std::string& difference) {
    const auto cell = [](const std::string& text, std::size_t width) {
      std::string c = " " + text;
      c.resize(width, ' ');
      return c;
    };
    return "|" + cell(name, 25) + "|" + cell(fox, 18) + "|" + cell(sql, 16) + "|" +
           cell(difference, 12) + "|";
  }

  int PdfPages() {
    const auto [status, out] =
        testkit::RunCommand("qpdf --show-npages '" + (folder_ / "report.pdf").string() + "'");
    return status == 0 ? std::stoi(out) : -1;
  }

  Status Load() {
    model_ = std::make_unique<ReportWindowModel>(*sources_, op_);
    return model_->Load();
  }

  // `zuna-transfer report` on this program folder: its exit status and everything it printed.
  // The process's own ODBCINI defines a data source "pay" for the ODBC tests; the command must
  // find the embedded default instead, as on a machine without one.
  std::pair<int, std::string> RunReportCommand() {
    return testkit::RunCommand("env -u ODBCINI ZUNA_NO_VIEWER=1 '" + std::string(ZUNA_TRANSFER) +
                               "' --home '" + folder_.path().string() + "' report");
  }

  testkit::TempFolder folder_;
  std::unique_ptr<sources::DataSources> sources_;
  std::shared_ptr<sql::Connection> connection_;
  testkit::RecordingOperator op_;
  std::unique_ptr<ReportWindowModel> model_;
};

TEST_F(ReportTest, DatabaseWithoutTablesGivesTheHeaderAndAOnePagePdf) {
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(model_->grid().rows(), 1);
  EXPECT_EQ(TextLines(),
            (Lines{"", "", std::string(kTop), std::string(kHeader1), std::string(kHeader2),
                   std::string(kSeparator), std::string(kSeparator)}));
  EXPECT_EQ(PdfPages(), 1);
  EXPECT_EQ(op_.opened, (std::vector<fs::path>{folder_ / "report.pdf"}));
}

TEST_F(ReportTest, GridHoldsCountsDifferencesAndTheHeader) {
  Table("fewer_in_fox", 12, 10);
  Table("more_in_fox", 10, 12);
  Table("no_file", 3, -1);
  Table("same", 0, 0);
  ASSERT_TRUE(Load().ok());
  const ReportGrid& grid = model_->grid();
  ASSERT_EQ(grid.rows(), 5);
  EXPECT_EQ(grid.TextMatrix(0, 1), " No. Of Records in Foxpro Table ");
  EXPECT_EQ(grid.alignment(3), ReportGrid::Alignment::kCentre);
  EXPECT_EQ(grid.column_width(2), 3500);
  EXPECT_EQ(TextLines()[6], DataLine("fewer_in_fox", "10", "12", "2"));
  EXPECT_EQ(TextLines()[7], DataLine("more_in_fox", "12", "10", "2"));
  EXPECT_EQ(TextLines()[8], DataLine("no_file", "Not Exist", "3", "--"));
  EXPECT_EQ(TextLines()[9], DataLine("same", "0", "0", "0"));
}

TEST_F(ReportTest, TablesComeInSqlServerNameOrder) {
  for (const char* name : {"paybill", "BranchMaster", "pay_scale", "acting"}) Table(name, 1, -1);
  ASSERT_TRUE(Load().ok());
  Lines names;
  for (int row = 1; row < model_->grid().rows(); ++row) {
    names.push_back(model_->grid().TextMatrix(row, 0));
  }
  EXPECT_EQ(names, (Lines{"acting", "BranchMaster", "pay_scale", "paybill"}));
}

TEST_F(ReportTest, FiftyRowsEndWithAPageBreakThenTheClosingSeparator) {
  for (int i = 0; i < 50; ++i) Table("t" + std::to_string(100 + i), 0, -1);
  ASSERT_TRUE(Load().ok());
  const Lines lines = TextLines();
  ASSERT_EQ(lines.size(), 6u + 50u + 3u + 1u);
  EXPECT_EQ(lines[55], DataLine("t149", "Not Exist", "0", "--"));
  EXPECT_EQ(lines[56], kSeparator);
  EXPECT_EQ(lines[57], "\f");
  EXPECT_EQ(lines[58], kSeparator);
  EXPECT_EQ(lines[59], kSeparator);
  EXPECT_EQ(PdfPages(), 2);
}

TEST_F(ReportTest, TheFiftyFirstRowStandsUnderTheSeparatorAfterTheBreak) {
  for (int i = 0; i < 51; ++i) Table("t" + std::to_string(100 + i), 0, -1);
  ASSERT_TRUE(Load().ok());
  const Lines lines = TextLines();
  EXPECT_EQ(lines[58], kSeparator);
  EXPECT_EQ(lines[59], DataLine("t150", "Not Exist", "0", "--"));
  EXPECT_EQ(lines[60], kSeparator);
  EXPECT_EQ(PdfPages(), 2);
}

TEST_F(ReportTest, ThreeHundredRowsAreAllReported) {
  ReportGrid grid;
  grid.set_rows(301);
  for (int row = 1; row <= 300; ++row) {
    grid.SetTextMatrix(row, 0, "table_" + std::to_string(row));
    grid.SetTextMatrix(row, 1, "1");
    grid.SetTextMatrix(row, 2, "1");
    grid.SetTextMatrix(row, 3, "0");
  }
  ASSERT_TRUE(ExportReport(grid, folder_.path(), op_).ok());
  const Lines lines = TextLines();
  EXPECT_EQ(lines.size(), 6u + 300u + 6u * 3u + 1u);
  EXPECT_NE(std::find(lines.begin(), lines.end(), DataLine("table_300", "1", "1", "0")),
            lines.end());
  EXPECT_EQ(PdfPages(), 7);
}

TEST_F(ReportTest, TextsAreTrimmedAndALongNameWidensItsColumnEverywhere) {
  ReportGrid grid;
  grid.set_rows(3);
  const std::string long_name(30, 'n');
  grid.SetTextMatrix(1, 0, "  padded name  ");
  grid.SetTextMatrix(2, 0, long_name);
  for (int row = 1; row <= 2; ++row) {
    for (int column = 1; column < 4; ++column) grid.SetTextMatrix(row, column, " 7 ");
  }
  const Lines lines = ReportLines(grid);
  EXPECT_EQ(lines[6].substr(0, 15), "| padded name  ");
  EXPECT_EQ(lines[7].substr(0, 33), "| " + long_name + "|");
  for (std::size_t i = 2; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].size(), 82u) << i;  // 76 + the 6 extra characters of the name
    if (lines[i][0] != ' ') {
      EXPECT_EQ(lines[i].find_first_of("|+", 1), 32u) << lines[i];
    }
  }
  EXPECT_EQ(grid.TextMatrix(1, 0), "  padded name  ");  // the grid keeps its text
}

TEST_F(ReportTest, ANameWithAClosingBracketIsCounted) {
  Table("odd]name", 2, -1);
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(model_->grid().TextMatrix(1, 2), "2");
  EXPECT_TRUE(op_.messages.empty());
}

TEST_F(ReportTest, AFailingCountMarksItsRowAndTheReportGoesOn) {
  Table("broken", 1, 1);
  Table("fine", 1, 1);
  testkit::WriteFile(folder_ / "zuna" / "broken.dbf", "not a table at all, too short");
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(TextLines()[6], DataLine("broken", "Error", "1", "Error"));
  EXPECT_EQ(TextLines()[7], DataLine("fine", "1", "1", "0"));
  ASSERT_EQ(op_.messages.size(), 1u);
  EXPECT_TRUE(op_.messages[0].starts_with("error 15: broken: ")) << op_.messages[0];
  EXPECT_EQ(PdfPages(), 1);
}

TEST_F(ReportTest, FailedCountsAreCountedForTheCaller) {
  Table("broken", 1, 1);
  Table("fine", 1, 1);
  testkit::WriteFile(folder_ / "zuna" / "broken.dbf", "not a table at all, too short");
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(model_->failed_counts(), 1);
  EXPECT_TRUE(model_->pdf_status().ok());
}

TEST_F(ReportTest, APdfThatCannotBeWrittenIsShownOnceAndToldToTheCaller) {
  Table("personnel", 2, 2);
  fs::create_directory(folder_ / "report.pdf");  // no file can take its place
  ASSERT_TRUE(Load().ok());  // the window still shows its grid, as the desktop program does
  EXPECT_FALSE(model_->pdf_status().ok());
  EXPECT_NE(model_->pdf_status().description().find("report.pdf"), std::string::npos);
  ASSERT_EQ(op_.messages.size(), 1u);
  EXPECT_EQ(op_.messages[0], model_->pdf_status().description());
  EXPECT_EQ(TextLines()[6], DataLine("personnel", "2", "2", "0"));
}

TEST_F(ReportTest, ATextTableThatCannotBeWrittenStopsTheExportBeforeThePdf) {
  Table("personnel", 2, 2);
  // Every byte written there is refused with "No space left on device" when it is flushed.
  fs::create_symlink("/dev/full", folder_ / "data_transfer_rpt");
  const Status loaded = Load();
  EXPECT_EQ(loaded.number(), ENOSPC) << loaded.ToString();
  EXPECT_FALSE(fs::exists(folder_ / "report.pdf"));
  EXPECT_TRUE(op_.opened.empty());
}

TEST_F(ReportTest, TheReportCommandExitsZeroWhenEveryCountSucceeds) {
  Table("personnel", 2, 2);
  const auto [status, out] = RunReportCommand();
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find(DataLine("personnel", "2", "2", "0")), std::string::npos) << out;
}

TEST_F(ReportTest, TheReportCommandExitsOneWhenThePdfCannotBeWritten) {
  Table("personnel", 2, 2);
  fs::create_directory(folder_ / "report.pdf");
  const auto [status, out] = RunReportCommand();
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("report.pdf"), std::string::npos) << out;
}

TEST_F(ReportTest, TheReportCommandExitsOneWhenTheTextTableCannotBeWritten) {
  Table("personnel", 2, 2);
  fs::create_symlink("/dev/full", folder_ / "data_transfer_rpt");
  const auto [status, out] = RunReportCommand();
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("error 28: "), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(folder_ / "report.pdf"));
}

TEST_F(ReportTest, TheReportCommandExitsThreeWhenACountFails) {
  Table("broken", 1, 1);
  Table("fine", 1, 1);
  testkit::WriteFile(folder_ / "zuna" / "broken.dbf", "not a table at all, too short");
  const auto [status, out] = RunReportCommand();
  EXPECT_EQ(status, 3) << out;
  EXPECT_NE(out.find(DataLine("broken", "Error", "1", "Error")), std::string::npos) << out;
  EXPECT_NE(out.find("error 15: broken: "), std::string::npos) << out;
  EXPECT_TRUE(fs::exists(folder_ / "report.pdf"));
}

TEST_F(ReportTest, AMissingDatabaseStopsTheLoadBeforeTheExport) {
  fs::remove(folder_ / "zuna.db");
  const Status loaded = Load();
  EXPECT_FALSE(loaded.ok());
  EXPECT_FALSE(fs::exists(folder_ / "data_transfer_rpt"));
}

TEST(CountDifferenceTest, IsAbsoluteAndShortest) {
  EXPECT_EQ(CountDifference("10", "12"), "2");
  EXPECT_EQ(CountDifference("12", "10"), "2");
  EXPECT_EQ(CountDifference("1520", "1520"), "0");
}

TEST(CountDifferenceTest, IsPlainDecimalTextWithoutAnExponent) {
  EXPECT_EQ(CountDifference("0", "0"), "0");
  EXPECT_EQ(CountDifference("15", "0"), "15");
  EXPECT_EQ(CountDifference("0", "99999"), "99999");
  EXPECT_EQ(CountDifference("100000", "0"), "100000");
  EXPECT_EQ(CountDifference("0", "1000000"), "1000000");
  EXPECT_EQ(CountDifference("123456790", "1"), "123456789");
}

TEST_F(ReportTest, ADifferenceOfAHundredThousandRowsIsWrittenInFullEverywhere) {
  ReportGrid grid;
  grid.set_rows(2);
  grid.SetTextMatrix(1, 0, "personnel");
  grid.SetTextMatrix(1, 1, "100000");
  grid.SetTextMatrix(1, 2, "0");
  grid.SetTextMatrix(1, 3, CountDifference("100000", "0"));
  ASSERT_TRUE(ExportReport(grid, folder_.path(), op_).ok());
  EXPECT_EQ(TextLines()[6], DataLine("personnel", "100000", "0", "100000"));
  const std::string text =
      testkit::RunCommand("pdftotext '" + (folder_ / "report.pdf").string() + "' -").second;
  EXPECT_EQ(text.find("1e+05"), std::string::npos) << text;
  const std::size_t first = text.find("100000");
  ASSERT_NE(first, std::string::npos) << text;
  EXPECT_NE(text.find("100000", first + 6), std::string::npos) << text;
}

}  // namespace
}  // namespace zuna::report
