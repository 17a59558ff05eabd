#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/connection_texts.h"
#include "import/import_run.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/sql_errors.h"
#include "platform/text/encoding.h"
#include "scripts/schema_commands.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/program_folder.h"
#include "tests/support/recording_operator.h"

namespace zuna::transfer {
namespace {

namespace fs = std::filesystem;
using testkit::DbfBuilder;
using testkit::Lines;

// The _NullFlags byte of a row without nulls.
const std::string kNoNulls(1, '\0');

// A program folder with the delivered scripts, the database and its tables, and an empty data
// folder "zuna" to put FoxPro tables into.
class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.CreateDatabase(); }

  ImportSummary Import() { return folder_.Import(op_, &window_); }
  Lines Rows(const std::string& query) { return folder_.Rows(query); }
  Lines LogLines(const std::string& name) { return folder_.LogLines(name); }

  // A personnel table with the logged date fields and the codes of its log lines.
  DbfBuilder Personnel() {
    DbfBuilder b(0x30);
    b.Field("EMP_CODE", 'C', 8, 0, 0x02).Field("ID_NO", 'N', 4, 0, 0x02);
    for (const char* date : {"DATE_BIRTH", "DATE_CLOSE", "CORDER_DT", "BILL_DATE", "OPR_DATE"}) {
      b.Field(date, 'D', 8, 0, 0x02);
    }
    b.Field("_NullFlags", '0', 1, 0, 0x05);
    return b;
  }

  testkit::ProgramFolder folder_{ZUNA_SQL_DIR};
  fs::path data_ = folder_.data();
  testkit::RecordingOperator op_;
  testkit::RecordingWindow window_;
};

TEST_F(ImportTest, EmptyDataFolderShowsEveryNotFoundMessageInOrderThenCompleted) {
  Import();
  Lines expected;
  for (auto pass : {FirstPassCatalog(), SecondPassCatalog(), ThirdPassCatalog()}) {
    for (const CatalogEntry& entry : pass) {
      if (!entry.not_found_message.empty()) {
        expected.push_back("information: " + entry.not_found_message);
      }
    }
  }
  expected.push_back("Completed");
  EXPECT_EQ(expected.size(), 26u + 10u + 29u + 1u);
  EXPECT_EQ(op_.messages, expected);
  EXPECT_EQ(window_.calls, (Lines{"show label", "disable import", "hide label", "enable report"}));
  // The two master-data scripts ran in their place; no anomaly log was created.
  EXPECT_EQ(Rows("select count(*) from qualification"), (Lines{"7"}));
  EXPECT_EQ(Rows("select count(*) from BranchMaster"), (Lines{"3"}));
  EXPECT_FALSE(fs::exists(folder_.path() / "personnel_rpt"));
  EXPECT_FALSE(fs::exists(folder_.path() / "paybill_rpt"));
  EXPECT_TRUE(LogLines("import_errors").empty());
}

TEST_F(ImportTest, PersonnelDatesAreReplacedAndLoggedInCatalogOrder) {
  Personnel()
      .RawRow(std::string("E1      ") + "  17" + "18991231" + "19000101" + "20200101" + "19990101" +
              "17000101" + kNoNulls)
      .RawRow(std::string("E2      ") + "  18" + "        " + "        " + "18000101" + "99991231" +
              "20000101" + "\x0C")  // date_birth and date_close null
      .RawRow(std::string("E3      ") + "  19" + "20000101" + "18990101" + "18990202" + "08991231" +
              "20000101" + kNoNulls)
      .Write(data_ / "personnel.dbf");
  const ImportSummary summary = Import();
  EXPECT_EQ(LogLines("personnel_rpt"),
            (Lines{"E1      (17)(date_birth -31/12/1899)", "E2      (18)(date_birth -)",
                   "E2      (18)(corder_dt -01/01/1800)", "E3      (19)(date_close -01/01/1899)",
                   "E3      (19)(corder_dt -02/02/1899)", "E3      (19)(bill_date -31/12/0899)"}));
  // opr_date is a plain copy: 1700 lies before datetime's range, so row 1 is refused.
  EXPECT_EQ(Rows("select emp_code, date_birth, date_close, corder_dt, bill_date from personnel "
                 "order by emp_code"),
            (Lines{"E2      |01/01/1900|01/01/1900|01/01/1900|31/12/9999",
                   "E3      |01/01/2000|01/01/1900|01/01/1900|01/01/1900"}));
  EXPECT_EQ(summary.rows_lost, 1u);
  const Lines errors = LogLines("import_errors");
  ASSERT_FALSE(errors.empty());
  EXPECT_TRUE(errors[0].starts_with("personnel\t1\t\t242\t")) << errors[0];
  // The catalogued columns this narrow table lacks: one entry each, for all three rows.
  EXPECT_EQ(errors.size(), 1u + 81u - 7u);
  EXPECT_TRUE(errors[1].starts_with("personnel\t0\tpay_mon\t3265\tevery row (3): source"))
      << errors[1];
  EXPECT_EQ(op_.messages.back(),
            "information: 1 row and 222 fields could not be copied; every failure is listed in "
            "the log import_errors.");
}

TEST_F(ImportTest, PersonnelDelCopiesItsPlainDatesUnchanged) {
  DbfBuilder()
      .Field("ID_NO", 'N', 4)
      .Field("EMP_CODE", 'C', 8)
      .Field("DATE_BIRTH", 'D', 8)
      .Field("DATE_CLOSE", 'D', 8)
      .Row({"1", "E1", "18991231", "18991231"})
      .Write(data_ / "personnel-del.dbf");
  Import();
  EXPECT_EQ(Rows("select date_birth, date_close from [personnel-del]"),
            (Lines{"31/12/1899|01/01/1900"}));
  EXPECT_FALSE(fs::exists(folder_.path() / "personnel_rpt"));
}

TEST_F(ImportTest, DdoWalkCopiesOnlyDdoCodeAndANullBecomesEmptyText) {
  DbfBuilder(0x30)
      .Field("DDO_DESC", 'C', 6)
      .Field("DDO_CODE", 'C', 4, 0, 0x02)
      .Field("_NullFlags", '0', 1, 0, 0x05)
      .RawRow(std::string("first ") + "D1  " + kNoNulls)
      .RawRow(std::string("second") + "    " + "\x01")
      .Write(data_ / "ddo.dbf");
  Import();
  EXPECT_EQ(Rows("select ddo_code, ddo_desc from ddo"), (Lines{"D1  |<null>", "|<null>"}));
}

TEST_F(ImportTest, PaybillLogsItsFourDatesButNotNulls) {
  DbfBuilder b;
  for (const char* f : {"PAY_MON", "PAY_YEAR"}) b.Field(f, 'N', 4);
  b.Field("DEPT_CODE", 'C', 4).Field("ESTB_CODE", 'C', 4);
  for (const char* f : {"BILL_DATE", "CHEQ_DATE", "VCHR_DATE", "CASH_DATE", "OPR_DATE"}) {
    b.Field(f, 'D', 8);
  }
  b.Row({"   3", "2024", "D1", "E1", "18991231", "18000101", "17991231", "08990101", "18000101"})
      .Row({"   4", "2024", "D2", "E2", "20240101", "        ", "20240101", "20240101", ""})
      .Write(data_ / "paybill.dbf");
  Import();
  EXPECT_EQ(LogLines("paybill_rpt"),
            (Lines{"3,2024,dept_code & estb_code (D1  ,E1  )(bill_date -31/12/1899)",
                   "3,2024,dept_code & estb_code (D1  ,E1  )(cheq_date -01/01/1800)",
                   "3,2024,dept_code & estb_code (D1  ,E1  )(vchr_date -31/12/1799)",
                   "3,2024,dept_code & estb_code (D1  ,E1  )(cash_date -01/01/0899)"}));
  // opr_date of paybill is a plain copy: 1800 stays.
  EXPECT_EQ(Rows("select cheq_date, opr_date from paybill order by pay_mon"),
            (Lines{"01/01/1900|01/01/1800", "01/01/1900|<null>"}));
}

TEST_F(ImportTest, DesignationTrimsShortAndCutsLongDescriptions) {
  const std::string long_text = "  " + std::string(48, 'x') + "yz";  // 50 after trimming
  DbfBuilder()
      .Field("DSGN_CODE", 'C', 4)
      .Field("DSGN_DESC", 'C', 60)
      .Row({"A", "  CLERK  "})
      .Row({"B", long_text})
      .Write(data_ / "designation.dbf");
  Import();
  EXPECT_EQ(Rows("select dsgn_desc from designation order by dsgn_code"),
            (Lines{"CLERK", long_text.substr(0, 50)}));
}

TEST_F(ImportTest, PbandNoNullBecomesTheTextNullAndAValueIsCopied) {
  DbfBuilder(0x30)
      .Field("SCALE_CODE", 'C', 4)
      .Field("PBAND_NO", 'C', 4, 0, 0x02)
      .Field("_NullFlags", '0', 1, 0, 0x05)
      .RawRow(std::string("S1  ") + "PB2 " + kNoNulls)
      .RawRow(std::string("S2  ") + "    " + "\x01")
      .Write(data_ / "payscale_new.dbf");
  Import();
  EXPECT_EQ(Rows("select pband_no from payscale_new order by scale_code"), (Lines{"PB2 ", "NULL"}));
}

TEST_F(ImportTest, InstallationIsMarkedForOneRowOrNoneAndWarnsForMore) {
  const auto installation = [&](int rows) {
    DbfBuilder b;
    b.Field("DDO_CODE", 'C', 4).Field("DBF_TYPE", 'C', 10);
    for (int i = 0; i < rows; ++i) b.Row({"D" + std::to_string(i), "FoxPro"});
    b.Write(data_ / "installation.dbf");
  };
  installation(1);
  Import();
  EXPECT_EQ(Rows("select dbf_type from installation"), (Lines{"SqlServer"}));

  installation(0);
  Import();
  EXPECT_EQ(Rows("select dbf_type from installation"), (Lines{"SqlServer"}));

  installation(3);
  Import();
  EXPECT_NE(std::find(op_.messages.begin(), op_.messages.end(), "critical (ZUNA): DDO Code:(3)"),
            op_.messages.end());
  EXPECT_EQ(Rows("select count(*) from installation where dbf_type like 'FoxPro%'"), (Lines{"3"}));
}

TEST_F(ImportTest, AFortyThousandRowInstallationWarnsInsteadOfWrappingIntoAMark) {
  DbfBuilder b;
  b.Field("DDO_CODE", 'C', 1);
  for (int i = 0; i < 40000; ++i) b.Row({"D"});
  b.Write(data_ / "installation.dbf");
  Import();
  EXPECT_NE(
      std::find(op_.messages.begin(), op_.messages.end(), "critical (ZUNA): DDO Code:(40000)"),
      op_.messages.end());
  EXPECT_EQ(Rows("select count(*) from installation where dbf_type = 'SqlServer'"), (Lines{"0"}));
}

TEST_F(ImportTest, AnInstallationThatCannotBeCountedIsNotMarked) {
  auto connection = folder_.sources().OpenConnection(core::kDatabasePrefix);
  ASSERT_TRUE(connection.ok());
  ASSERT_TRUE((*connection)
                  ->Execute("INSERT INTO installation (ddo_code, dbf_type) VALUES ('D1', 'FoxPro')")
                  .ok());
  connection->reset();
  testkit::WriteFile(data_ / "installation.dbf", "not a table");
  Import();
  EXPECT_EQ(Rows("select dbf_type from installation"), (Lines{"FoxPro"}));
  const Lines errors = LogLines("import_errors");
  EXPECT_NE(std::find_if(errors.begin(), errors.end(),
                         [](const std::string& line) {
                           return line.starts_with("installation\t0\tcount\t");
                         }),
            errors.end());
}

TEST_F(ImportTest, AKeyScriptThatFailsIsListedWithItsBatchAndTold) {
  testkit::WriteFile(folder_.path() / "pk.sql",
                     "CREATE INDEX ix_one ON department (dept_code)\r\nGO\r\n"
                     "CREATE INDEX ix_two ON no_such_table (x)\r\nGO\r\n"
                     "CREATE INDEX ix_three ON department (dept_name)\r\n");
  const ImportSummary summary = Import();
  EXPECT_EQ(summary.keys.number(), sql::kErrInvalidObjectName);
  const Lines errors = LogLines("import_errors");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].starts_with("pk.sql\t0\t\t208\tpk.sql, batch 2 of 3: ")) << errors[0];
  // The message after "Completed" says that the keys are incomplete, not only that nothing of
  // the rows was lost.
  ASSERT_GE(op_.messages.size(), 2u);
  EXPECT_EQ(op_.messages[op_.messages.size() - 2], "Completed");
  EXPECT_NE(op_.messages.back().find("The keys were not all applied (error 208: pk.sql, batch 2 "
                                     "of 3: "),
            std::string::npos)
      << op_.messages.back();
}

TEST_F(ImportTest, ASecondImportAddsTheRowsAgain) {
  DbfBuilder().Field("DEPT_CODE", 'C', 4).Row({"D1"}).Row({"D2"}).Write(data_ / "department.dbf");
  Import();
  Import();
  EXPECT_EQ(Rows("select count(*) from department"), (Lines{"4"}));
}

TEST_F(ImportTest, AMissingTargetColumnLosesThatFieldOnEveryRowAndIsListed) {
  DbfBuilder()
      .Field("GIS_CODE", 'C', 4)
      .Field("GIS_DESC", 'C', 10)
      .Row({"G1", "one"})
      .Write(data_ / "gisgrp.dbf");
  auto connection = folder_.sources().OpenConnection(core::kDatabasePrefix);
  ASSERT_TRUE(connection.ok());
  ASSERT_TRUE((*connection)->Execute("ALTER TABLE gisgrp DROP COLUMN gis_desc").ok());
  const ImportSummary summary = Import();
  EXPECT_EQ(Rows("select * from gisgrp"), (Lines{"G1  "}));
  EXPECT_EQ(summary.fields_lost, 1u);
  const Lines errors = LogLines("import_errors");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].starts_with("gisgrp\t0\tgis_desc\t3265\tevery row (1): target"))
      << errors[0];
}

TEST_F(ImportTest, RowsRefusedWhenTheirBatchIsSentAreLostAloneUnderTheirSourceRows) {
  // The target through ODBC onto the same database file, two rows to an array.
  folder_.set_ini("[pay]\nDriver = odbc\nConnectionString = Driver=SQLite3;Database=" +
                  (folder_.path() / "zuna.db").string() + "\nRowsPerBatch = 2\n");
  auto connection = folder_.sources().OpenConnection("dsn=pay");
  ASSERT_TRUE(connection.ok()) << connection.status().ToString();
  ASSERT_TRUE(
      (*connection)->Execute("CREATE UNIQUE INDEX one_code ON department (dept_code)").ok());
  connection->reset();
  DbfBuilder()
      .Field("DEPT_CODE", 'C', 4)
      .Row({"D1"})
      .Row({"D2"})
      .Row({"D1"})
      .Row({"D3"})
      .Row({"D2"})
      .Write(data_ / "department.dbf");
  const ImportSummary summary = Import();
  EXPECT_EQ(Rows("select dept_code from department order by dept_code"),
            (Lines{"D1  ", "D2  ", "D3  "}));
  EXPECT_EQ(summary.rows_lost, 2u);
  const auto department =
      std::find_if(summary.tables.begin(), summary.tables.end(),
                   [](const TableReport& report) { return report.table == "department"; });
  ASSERT_NE(department, summary.tables.end());
  EXPECT_EQ(department->rows_saved, 3u);
  EXPECT_EQ(department->rows_refused, 2u);
  // The source's missing columns are listed too; the lost rows carry SQLite's native 19.
  Lines refused;
  for (const std::string& line : LogLines("import_errors")) {
    if (line.find("\t19\t") != std::string::npos) refused.push_back(line.substr(0, 17));
  }
  EXPECT_EQ(refused, (Lines{"department\t3\t\t19\t", "department\t5\t\t19\t"}));
}

// The replacement date is a date, as the values around it: through ODBC the personnel table goes
// in whole arrays of 500 rows, and every engine stores the same bytes for it.
TEST_F(ImportTest, ReplacedDatesKeepTheArraysWholeAndStoreAsTheEmbeddedEngineDoes) {
  DbfBuilder personnel = Personnel();
  for (int row = 1; row <= 1200; ++row) {
    char code[9];
    std::snprintf(code, sizeof code, "E%-7d", row);
    char id[5];
    std::snprintf(id, sizeof id, "%4d", row % 10000);
    const std::string birth = row % 10 == 0 ? "18000101" : "19700615";
    personnel.RawRow(std::string(code) + id + birth + "19990101" + "20000101" + "20010101" +
                     "20020101" + kNoNulls);
  }
  personnel.Write(data_ / "personnel.dbf");
  const fs::path database = folder_.path() / "zuna.db";
  folder_.set_ini("[pay]\nDriver = odbc\nConnectionString = Driver=SQLite3;Database=" +
                  database.string() + "\n");
  sql::odbc::OdbcSendCounts sent;
  folder_.sources().set_odbc_send_totals(&sent);
  const ImportSummary summary = Import();
  EXPECT_EQ(summary.rows_lost, 0u);
  EXPECT_EQ(sent.arrays, 3u);
  EXPECT_EQ(sent.rows_in_arrays, 1200u);
  EXPECT_EQ(sent.rows_alone, 0u);
  EXPECT_EQ(LogLines("personnel_rpt").size(), 120u);
  EXPECT_EQ(LogLines("personnel_rpt")[0], "E10     (10)(date_birth -01/01/1800)");
  // The bytes in the file, read by the embedded engine: the replaced dates are those the
  // embedded engine writes for 01/01/1900.
  folder_.set_ini("");
  EXPECT_EQ(Rows("select date_birth, count(*) from personnel group by date_birth "
                 "order by date_birth"),
            (Lines{"01/01/1900|120", "15/06/1970|1080"}));
  EXPECT_EQ(Rows("select count(*) from personnel where date_birth = '1900-01-01 00:00:00.000'"),
            (Lines{"120"}));
}

TEST_F(ImportTest, AnAnomalyLogNotFoundLeavesAnEarlierOneUntouched) {
  testkit::WriteFile(folder_.path() / "personnel_rpt", "earlier");
  Import();
  EXPECT_EQ(testkit::ReadFile(folder_.path() / "personnel_rpt"), "earlier");
}

}  // namespace
}  // namespace zuna::transfer
