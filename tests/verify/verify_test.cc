// zuna::verify after a real import, on the embedded engine, through SQLite's ODBC driver and on
// the test servers (PostgreSQL and MariaDB through ODBC): a clean import is every row equal, and
// each kind of damage to the target names exactly the table, the rows and the columns it touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/fault_injecting_file_env.h"
#include "platform/files/file_system.h"
#include "platform/sources/data_sources.h"
#include "scripts/schema_commands.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/odbc_environment.h"
#include "tests/support/program_folder.h"
#include "tests/support/recording_operator.h"
#include "verify/target_connection.h"
#include "verify/verify_report.h"
#include "verify/verify_run.h"

namespace zuna::verify {
namespace {

namespace fs = std::filesystem;
using testkit::DbfBuilder;
using Strings = std::vector<std::string>;

enum class Target { kEmbedded, kOdbcSqlite, kPostgres, kMariaDb };

std::string TargetName(const ::testing::TestParamInfo<Target>& info) {
  switch (info.param) {
    case Target::kEmbedded:
      return "Embedded";
    case Target::kOdbcSqlite:
      return "OdbcSqlite";
    case Target::kPostgres:
      return "Postgres";
    case Target::kMariaDb:
      return "MariaDb";
  }
  return "";
}

bool IsServer(Target target) { return target == Target::kPostgres || target == Target::kMariaDb; }

// A database of these tests' own on each server, so that they leave the tool's database "zuna"
// and the servers' other tests alone.
constexpr std::string_view kServerDatabase = "zuna_verify";

class VerifyFixture : public ::testing::Test {
 protected:
  virtual Target target() const { return Target::kEmbedded; }

  void SetUp() override {
    if (IsServer(target())) {
      ASSERT_NO_FATAL_FAILURE(CreateServerDatabase());
    } else {
      folder_.CreateDatabase();
    }
    if (target() == Target::kOdbcSqlite) {
      // The same database file, reached through SQLite's ODBC driver for the import and the
      // verification.
      folder_.set_ini("[pay]\nDriver = odbc\nConnectionString = Driver=SQLite3;Database=" +
                      (folder_.path() / "zuna.db").string() + "\n");
    }
    DbfBuilder()
        .Field("DEPT_CODE", 'C', 4)
        .Field("DEPT_NAME", 'C', 30)
        .Field("USER_ID", 'C', 8)
        .Field("OPR_DATE", 'D', 8)
        .Row({"D1", "ACCOUNTS", "U1", "20200115"})
        .Row({"D2", "STORES", "U2", "18991231"})  // the date rule replaces it
        .Row({"D3", "PAYROLL", "U3", ""})         // null: the date rule replaces it
        .Row({"D4", "AUDIT", "U4", "20210301"})
        .Write(data_ / "department.dbf");
    DbfBuilder()
        .Field("CCA_SL", 'N', 4)
        .Field("CCA_SLB1", 'N', 10, 2)
        .Field("CCA_SLB2", 'N', 10, 2)
        .Field("CCA_AMT", 'N', 10, 2)
        .Row({"   1", "   1000.00", "   2000.50", "    150.25"})
        .Row({"   2", "   2000.51", "", "    175.00"})  // a null decimal
        .Row({"   3", "   3000.00", "   4000.00", "    200.10"})
        .Write(data_ / "cca.dbf");
    DbfBuilder()
        .Field("DSGN_CODE", 'C', 4)
        .Field("DSGN_DESC", 'C', 60)
        .Field("OPR_DATE", 'D', 8)
        .Field("RANK", 'N', 3)
        .Row({"C1", "   CLERK", "20190101", "  1"})                   // trimmed by the rule
        .Row({"C2", "  " + std::string(55, 'X'), "20190102", "  2"})  // cut to 50
        .Write(data_ / "designation.dbf");
    Import();
  }

  // A fresh database of our own on the target's server, its tables made by the server's own
  // CreateTableScript.sql, as the operator's Create Table makes them.
  void CreateServerDatabase() {
    const bool postgres = target() == Target::kPostgres;
    const auto dsn = testkit::TestServerDataSource(postgres ? testkit::TestServer::kPostgres
                                                            : testkit::TestServer::kMariaDb);
    if (!dsn) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
    const fs::path dialect_scripts = fs::path(ZUNA_SQL_DIR) / (postgres ? "postgresql" : "mariadb");
    for (const auto& script : fs::directory_iterator(dialect_scripts)) {
      fs::copy_file(script.path(), folder_.path() / script.path().filename(),
                    fs::copy_options::overwrite_existing);
    }
    const std::string database(kServerDatabase);
    // Create Table's connection to the tool's database goes to ours too.
    const std::string ours =
        "Driver = odbc\nConnectionString = DSN=" + *dsn + ";Database=" + database + "\n";
    folder_.set_ini("[pay]\n" + ours + "\n[server]\n" + ours +
                    "\n[admin]\nDriver = odbc\nConnectionString = DSN=" + *dsn + "\n");
    // Without FORCE: PostgreSQL then stops an autovacuum worker still busy with the last test's
    // tables, which FORCE would refuse to end (it belongs to another role). Each test is a
    // process of its own, so no connection of ours is left.
    Execute("DROP DATABASE IF EXISTS " + database, "dsn=admin");
    Execute(postgres ? "CREATE DATABASE " + database + " ENCODING 'UTF8' TEMPLATE template0"
                     : "CREATE DATABASE " + database +
                           " CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci",
            "dsn=admin");
    testkit::RecordingOperator op;
    const Status created =
        scripts::RunSchemaCommand(scripts::SchemaCommand::kCreateTable, folder_.sources(), "", op);
    ASSERT_TRUE(created.ok()) << created.ToString();
    ASSERT_EQ(op.messages, Strings{"Table Created"});
  }

  void Import() {
    testkit::RecordingOperator op;
    folder_.Import(op);
  }

  // Back to the rows of one import of the FoxPro tables: the tables emptied and imported again
  // (a server has no file to copy).
  void ReimportClean() {
    for (const char* table : {"department", "cca", "designation", "personnel", "gisgrp"}) {
      Execute(std::string("DELETE FROM ") + table);
    }
    Import();
  }

  void Execute(const std::string& statement, const std::string& source = "dsn=pay") {
    auto connection = folder_.sources().OpenConnection(source);
    ASSERT_TRUE(connection.ok()) << connection.status().ToString();
    const Status done = (*connection)->Execute(statement);
    ASSERT_TRUE(done.ok()) << statement << ": " << done.ToString();
  }

  VerifySummary Verify(VerifyOptions options = {}) {
    auto summary = RunVerify(folder_.sources(), options);
    EXPECT_TRUE(summary.ok()) << summary.status().ToString();
    return summary.ok() ? *std::move(summary) : VerifySummary{};
  }

  static const TableResult& Table(const VerifySummary& summary, const std::string& name) {
    static const TableResult none;
    for (const TableResult& table : summary.tables) {
      if (table.table == name) return table;
    }
    ADD_FAILURE() << "no table " << name;
    return none;
  }

  static Strings Unaccounted(const VerifySummary& summary) {
    Strings tables;
    for (const TableResult& table : summary.tables) {
      if (!table.accounted_for()) tables.push_back(table.table);
    }
    return tables;
  }

  // The changed pairs of a table as "source row: columns".
  static Strings Changes(const TableResult& table) {
    Strings changes;
    for (const ChangedPair& pair : table.changed_pairs) {
      std::string line = std::to_string(pair.source_row) + ":";
      for (const ChangedColumn& column : pair.columns) line += " " + column.column;
      changes.push_back(line);
    }
    return changes;
  }

  testkit::ProgramFolder folder_{ZUNA_SQL_DIR};
  fs::path data_ = folder_.data();
};

class VerifyTest : public VerifyFixture, public ::testing::WithParamInterface<Target> {
 protected:
  Target target() const override { return GetParam(); }
};

// Refusals as SQL Server makes them, which the embedded engine repeats and SQLite's ODBC driver
// does not; and the file seam.
class VerifyEmbeddedTest : public VerifyFixture {};

TEST_P(VerifyTest, CleanImportIsEveryRowEqual) {
  const VerifySummary summary = Verify();
  EXPECT_TRUE(summary.accounted_for());
  EXPECT_TRUE(summary.log_present);
  EXPECT_EQ(Unaccounted(summary), Strings{});
  const TableResult& department = Table(summary, "department");
  EXPECT_EQ(department.outcome, TableResult::Outcome::kCompared);
  EXPECT_EQ(department.source_rows, 4u);
  EXPECT_EQ(department.target_rows, 4u);
  EXPECT_EQ(department.equal, 4u);
  EXPECT_EQ(department.columns, (Strings{"dept_code", "dept_name", "user_id", "opr_date"}));
  // ddo_code is catalogued but the FoxPro table lacks it: left out, and said so.
  EXPECT_EQ(department.not_compared, Strings{"ddo_code (the FoxPro table lacks it)"});
  EXPECT_EQ(Table(summary, "cca").equal, 3u);
  EXPECT_EQ(Table(summary, "designation").equal, 2u);
  EXPECT_EQ(Table(summary, "personnel").outcome, TableResult::Outcome::kNoSourceFile);
}

TEST_P(VerifyTest, OneChangedValueNamesItsTableRowAndColumn) {
  struct Case {
    std::string what;
    std::string statement;
    std::string table;
    std::string change;
  };
  const Case cases[] = {
      {"a text", "UPDATE department SET dept_name = 'STORE' WHERE rtrim(dept_code) = 'D2'",
       "department", "2: dept_name"},
      {"a date", "UPDATE department SET opr_date = '2021-03-02' WHERE rtrim(dept_code) = 'D4'",
       "department", "4: opr_date"},
      {"a decimal", "UPDATE cca SET cca_amt = 200.11 WHERE cca_sl = 3", "cca", "3: cca_amt"},
      {"a null", "UPDATE cca SET cca_slb2 = 0 WHERE cca_sl = 2", "cca", "2: cca_slb2"},
      {"a value made null", "UPDATE designation SET rank = NULL WHERE rtrim(dsgn_code) = 'C1'",
       "designation", "1: rank"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReimportClean();
    Execute(c.statement);
    const VerifySummary summary = Verify();
    EXPECT_FALSE(summary.accounted_for());
    EXPECT_EQ(Unaccounted(summary), Strings{c.table});
    const TableResult& table = Table(summary, c.table);
    EXPECT_EQ(Changes(table), Strings{c.change});
    EXPECT_EQ(table.changed, 1u);
    EXPECT_EQ(table.missing, 0u);
    EXPECT_EQ(table.extra, 0u);
    EXPECT_EQ(table.equal + 1, table.source_rows);
  }
}

TEST_P(VerifyTest, ChangedValuesShowWhatWasExpectedAndWhatIsThere) {
  Execute("UPDATE department SET opr_date = '2020-01-16' WHERE rtrim(dept_code) = 'D1'");
  Execute("UPDATE cca SET cca_slb2 = NULL WHERE cca_sl = 1");
  const VerifySummary summary = Verify();
  const TableResult& department = Table(summary, "department");
  ASSERT_EQ(department.changed_pairs.size(), 1u);
  const ChangedColumn& date = department.changed_pairs[0].columns.at(0);
  EXPECT_EQ(DisplayCanonical(date.expected), "'2020-01-15 00:00:00.000'");
  EXPECT_EQ(DisplayCanonical(date.actual), "'2020-01-16 00:00:00.000'");
  const TableResult& cca = Table(summary, "cca");
  ASSERT_EQ(cca.changed_pairs.size(), 1u);
  // SQLite's ODBC driver describes a decimal column as a double: compared as doubles there. The
  // servers describe it as a decimal, as the embedded engine does.
  EXPECT_EQ(DisplayCanonical(cca.changed_pairs[0].columns.at(0).expected),
            target() == Target::kOdbcSqlite ? "'2000.5'" : "'2000.50'");
  EXPECT_EQ(DisplayCanonical(cca.changed_pairs[0].columns.at(0).actual), "NULL");
}

TEST_P(VerifyTest, DeletedRowIsMissingWithItsSourceRowAndValues) {
  Execute("DELETE FROM department WHERE rtrim(dept_code) = 'D3'");
  const VerifySummary summary = Verify();
  EXPECT_EQ(Unaccounted(summary), Strings{"department"});
  const TableResult& department = Table(summary, "department");
  EXPECT_EQ(department.missing, 1u);
  EXPECT_EQ(department.refused_logged, 0u);
  EXPECT_EQ(department.extra, 0u);
  EXPECT_EQ(department.equal, 3u);
  ASSERT_EQ(department.missing_rows.size(), 1u);
  EXPECT_EQ(department.missing_rows[0].row, 3u);
  // The null date arrives as the replacement date: the row's expected values say so.
  EXPECT_EQ(DisplayCanonical(department.missing_rows[0].values.at(3)), "'1900-01-01 00:00:00.000'");
}

TEST_P(VerifyTest, DuplicatedRowIsExtraAndRepeatsItsSourceRow) {
  Execute("INSERT INTO cca SELECT * FROM cca WHERE cca_sl = 2");
  const VerifySummary summary = Verify();
  EXPECT_EQ(Unaccounted(summary), Strings{"cca"});
  const TableResult& cca = Table(summary, "cca");
  EXPECT_EQ(cca.extra, 1u);
  EXPECT_EQ(cca.duplicates, 1u);
  EXPECT_EQ(cca.missing, 0u);
  EXPECT_EQ(cca.equal, 3u);
  ASSERT_EQ(cca.extra_rows.size(), 1u);
  EXPECT_EQ(cca.extra_rows[0].duplicate_of, 2u);
  EXPECT_EQ(cca.extra_rows[0].row, 4u);
}

TEST_P(VerifyTest, SecondImportMakesEveryRowExtra) {
  Import();
  const VerifySummary summary = Verify();
  EXPECT_EQ(Unaccounted(summary), (Strings{"department", "cca", "designation"}));
  for (const char* name : {"department", "cca", "designation"}) {
    SCOPED_TRACE(name);
    const TableResult& table = Table(summary, name);
    EXPECT_EQ(table.equal, table.source_rows);
    EXPECT_EQ(table.extra, table.source_rows);
    EXPECT_EQ(table.duplicates, table.source_rows);
    EXPECT_EQ(table.missing + table.changed, 0u);
  }
}

TEST_P(VerifyTest, ValuesSwappedBetweenTwoRowsShowAsTwoChangedRows) {
  Execute("CREATE TABLE swapped_names AS SELECT dept_code, dept_name FROM department");
  Execute(
      "UPDATE department SET dept_name = (SELECT n.dept_name FROM swapped_names n WHERE "
      "rtrim(n.dept_code) = CASE rtrim(department.dept_code) WHEN 'D1' THEN 'D4' ELSE 'D1' END) "
      "WHERE rtrim(dept_code) IN ('D1', 'D4')");
  Execute("DROP TABLE swapped_names");
  const VerifySummary summary = Verify();
  EXPECT_EQ(Unaccounted(summary), Strings{"department"});
  const TableResult& department = Table(summary, "department");
  EXPECT_EQ(Changes(department), (Strings{"1: dept_name", "4: dept_name"}));
  EXPECT_EQ(department.missing + department.extra, 0u);
}

// Logicals, decimals at their scale, dates and integers read back from each engine in the form
// the rules give them: a server's boolean, tinyint(1), numeric text or timestamp is no change.
TEST_P(VerifyTest, EveryKindOfColumnReadsBackInOneForm) {
  DbfBuilder()
      .Field("EMP_CODE", 'C', 8)
      .Field("ID_NO", 'N', 4)
      .Field("BASIC_PAY", 'N', 10, 2)
      // One decimal more than decimal(5,2) holds: rounded by the servers. SQLite's ODBC driver
      // describes the column as varchar(5), and the values fit it.
      .Field("NPA_PRCN", 'N', 6, 3)
      .Field("DATE_BIRTH", 'D', 8)
      .Field("DEL_EMP", 'L', 1)
      .Field("PAY_TAKEN", 'L', 1)
      .Row({"E1", "   1", "     12.50", " 7.125", "19800229", "T", "F"})
      .Row({"E2", "   2", "      0.00", " -0.05", "20001231", "F", "T"})
      .Row({"E3", "   3", "  -3000.05", "      ", "        ", "?", "Y"})
      .Write(data_ / "personnel.dbf");
  ReimportClean();
  VerifySummary summary = Verify();
  EXPECT_EQ(Unaccounted(summary), Strings{});
  const TableResult& personnel = Table(summary, "personnel");
  EXPECT_EQ(personnel.equal, 3u);
  EXPECT_EQ(personnel.columns, (Strings{"id_no", "emp_code", "basic_pay", "date_birth", "del_emp",
                                        "pay_taken", "npa_prcn"}));

  // A logical turned over is a change of that column alone, on every engine.
  Execute(target() == Target::kPostgres
              ? "UPDATE personnel SET del_emp = NOT del_emp WHERE id_no = 2"
              : "UPDATE personnel SET del_emp = 1 - del_emp WHERE id_no = 2");
  summary = Verify();
  EXPECT_EQ(Unaccounted(summary), Strings{"personnel"});
  const TableResult& changed = Table(summary, "personnel");
  EXPECT_EQ(Changes(changed), Strings{"2: del_emp"});
  ASSERT_EQ(changed.changed_pairs.size(), 1u);
  EXPECT_EQ(DisplayCanonical(changed.changed_pairs[0].columns.at(0).expected), "'0'");
  EXPECT_EQ(DisplayCanonical(changed.changed_pairs[0].columns.at(0).actual), "'1'");
}

TEST_P(VerifyTest, SpilledRunsFindTheSameAsMemory) {
  DbfBuilder big;
  big.Field("GIS_CODE", 'C', 10).Field("GIS_DESC", 'C', 40);
  for (int i = 1; i <= 300; ++i) big.Row({"G" + std::to_string(i), "GROUP " + std::to_string(i)});
  big.Write(data_ / "gisgrp.dbf");
  Import();  // every earlier table twice
  Execute("DELETE FROM gisgrp WHERE rtrim(gis_code) = 'G17'");
  Execute("UPDATE gisgrp SET gis_desc = 'CHANGED' WHERE rtrim(gis_code) = 'G200'");
  Execute("INSERT INTO gisgrp SELECT * FROM gisgrp WHERE rtrim(gis_code) = 'G42'");

  const VerifySummary in_memory = Verify();
  VerifyOptions tiny;
  tiny.memory_budget = 1024;  // 21 hashes a side: hundreds of runs
  const VerifySummary spilled = Verify(tiny);
  const TableResult& a = Table(in_memory, "gisgrp");
  const TableResult& b = Table(spilled, "gisgrp");
  EXPECT_EQ(a.spilled_runs, 0u);
  EXPECT_GT(b.spilled_runs, 20u);
  for (const TableResult* t : {&a, &b}) {
    EXPECT_EQ(t->source_rows, 300u);
    EXPECT_EQ(t->equal, 298u);
    EXPECT_EQ(t->missing, 1u);
    EXPECT_EQ(t->extra, 1u);
    EXPECT_EQ(t->duplicates, 1u);
    EXPECT_EQ(Changes(*t), Strings{"200: gis_desc"});
    ASSERT_EQ(t->missing_rows.size(), 1u);
    EXPECT_EQ(t->missing_rows[0].row, 17u);
    ASSERT_EQ(t->extra_rows.size(), 1u);
    EXPECT_EQ(t->extra_rows[0].duplicate_of, 42u);
  }
  EXPECT_EQ(Table(spilled, "cca").extra, 3u);
}

TEST_P(VerifyTest, RowsTheImportRefusedAndLoggedAreAccountedFor) {
  // SQLite's ODBC driver refuses neither row: its engine keeps any text and any date.
  if (target() == Target::kOdbcSqlite) GTEST_SKIP() << "SQLite refuses neither row";
  DbfBuilder()
      .Field("EMP_CODE", 'C', 8)
      .Field("ID_NO", 'N', 4)
      .Field("OPR_DATE", 'D', 8)  // a plain copy: 1700 lies before datetime's first year
      .Row({"E1", "   1", "20200101"})
      .Row({"E2", "   2", "17000101"})
      .Row({"E3", "   3", "20200202"})
      .Write(data_ / "personnel.dbf");
  DbfBuilder()
      .Field("GIS_CODE", 'C', 10)
      .Field("GIS_DESC", 'C', 60)  // the target's column holds 40
      .Row({"G1", "SHORT"})
      .Row({"G2", std::string(45, 'L')})
      .Write(data_ / "gisgrp.dbf");
  ReimportClean();

  VerifySummary summary = Verify();
  EXPECT_TRUE(summary.accounted_for()) << ::testing::PrintToString(Unaccounted(summary));
  const TableResult& personnel = Table(summary, "personnel");
  EXPECT_EQ(personnel.equal, 2u);
  EXPECT_EQ(personnel.refused_logged, 1u);
  EXPECT_EQ(personnel.missing, 0u);
  ASSERT_EQ(personnel.refused_rows.size(), 1u);
  EXPECT_EQ(personnel.refused_rows[0].row, 2u);
  // Each engine refuses with its own error: SQL Server's numbers on the embedded engine, the
  // check constraint of the server's table script, a too long text.
  struct Refusals {
    std::string date;
    std::string text;
  };
  const Refusals refusals = target() == Target::kEmbedded ? Refusals{"error 242: ", "error 8152: "}
                            : target() == Target::kPostgres
                                ? Refusals{"error 1: copy into personnel: [23514] ",
                                           "error 1: copy into gisgrp: [22001] "}
                                : Refusals{"error 4025: insert into personnel: [23000] ",
                                           "error 1406: insert into gisgrp: [22001] "};
  EXPECT_TRUE(personnel.refused_rows[0].log_message.starts_with(refusals.date))
      << personnel.refused_rows[0].log_message;
  const TableResult& gisgrp = Table(summary, "gisgrp");
  EXPECT_EQ(gisgrp.refused_logged, 1u);
  ASSERT_EQ(gisgrp.refused_rows.size(), 1u);
  EXPECT_EQ(gisgrp.refused_rows[0].row, 2u);
  EXPECT_TRUE(gisgrp.refused_rows[0].log_message.starts_with(refusals.text))
      << gisgrp.refused_rows[0].log_message;
  EXPECT_NE(TableLine(personnel).find("1 refused (logged), 0 missing"), std::string::npos);

  ASSERT_TRUE(WriteVerifyReport(summary, folder_.path(), 20).ok());
  const auto report = files::ReadAllAnsi(folder_.path() / "verify_rpt");
  ASSERT_TRUE(report.ok());
  EXPECT_NE(report->find("  refused, logged:\r\n    source row 2: " + refusals.date),
            std::string::npos)
      << *report;
  EXPECT_NE(report->find("Result: every row is accounted for.\r\n"), std::string::npos);

  // Without the log the same rows are lost without an explanation.
  fs::remove(folder_.path() / "import_errors");
  summary = Verify();
  EXPECT_FALSE(summary.log_present);
  EXPECT_EQ(Unaccounted(summary), (Strings{"personnel", "gisgrp"}));
  EXPECT_EQ(Table(summary, "personnel").missing, 1u);
  EXPECT_EQ(Table(summary, "personnel").missing_rows.at(0).row, 2u);
  EXPECT_EQ(Table(summary, "personnel").refused_logged, 0u);
}

TEST_F(VerifyEmbeddedTest, RunsThatCannotBeWrittenFailTheTableAndLeaveNoFiles) {
  testkit::TempFolder spill;
  files::FaultInjectingFileEnv env;
  env.FailWritesAfter("", 0);  // a full disk under the runs
  VerifyOptions options;
  options.memory_budget = 64;
  options.spill_folder = spill.path();
  options.env = &env;
  const VerifySummary summary = Verify(options);
  EXPECT_FALSE(summary.accounted_for());
  // Two hashes a side fit the budget: designation's two rows need no run and are proven.
  EXPECT_EQ(Unaccounted(summary), (Strings{"department", "cca"}));
  EXPECT_EQ(Table(summary, "designation").equal, 2u);
  const TableResult& department = Table(summary, "department");
  EXPECT_EQ(department.outcome, TableResult::Outcome::kFailed);
  EXPECT_EQ(department.failure.number(), ENOSPC);
  EXPECT_NE(TableLine(department).find("NOT VERIFIED: error 28: department: "), std::string::npos)
      << TableLine(department);
  EXPECT_EQ(env.open_files(), 0);
  EXPECT_TRUE(fs::is_empty(spill.path()));
}

// The FoxPro rows are hashed while the target is read on another thread: when only the target's
// side fails (its runs cannot be written), the table fails with that side's error, the source's
// side stops, and the files of both are closed and gone.
TEST_F(VerifyEmbeddedTest, OneSideFailingFailsTheTableWithItsError) {
  testkit::TempFolder spill;
  files::FaultInjectingFileEnv env;
  env.FailWritesAfter("target", 0);
  VerifyOptions options;
  options.memory_budget = 64;  // two hashes a side
  options.spill_folder = spill.path();
  options.env = &env;
  const VerifySummary summary = Verify(options);
  EXPECT_EQ(Unaccounted(summary), (Strings{"department", "cca"}));
  for (const char* name : {"department", "cca"}) {
    SCOPED_TRACE(name);
    const TableResult& table = Table(summary, name);
    EXPECT_EQ(table.outcome, TableResult::Outcome::kFailed);
    EXPECT_EQ(table.failure.number(), ENOSPC);
    EXPECT_NE(table.failure.ToString().find("target"), std::string::npos)
        << table.failure.ToString();
  }
  EXPECT_EQ(Table(summary, "designation").equal, 2u);
  EXPECT_EQ(env.open_files(), 0);
  EXPECT_TRUE(fs::is_empty(spill.path()));
}

TEST_F(VerifyEmbeddedTest, AReportThatCannotBeWrittenWholeIsAnError) {
  const VerifySummary summary = Verify();
  files::FaultInjectingFileEnv env;
  env.FailWritesAfter("verify_rpt", 100);
  const Status written = WriteVerifyReport(summary, folder_.path(), 20, env);
  EXPECT_EQ(written.number(), ENOSPC);
  EXPECT_EQ(env.unchecked_closes(), 0);
  env.FailOpen("verify_rpt", EACCES);
  EXPECT_EQ(WriteVerifyReport(summary, folder_.path(), 20, env).number(), EACCES);
}

// psqlODBC reads a whole result into memory unless asked to fetch through a cursor: the
// verification asks, unless the data source decided itself.
TEST(TargetConnectionTest, AsksPsqlOdbcToFetchThroughACursorUnlessTheSourceSaysOtherwise) {
  EXPECT_EQ(WithCursorFetch("DSN=zuna_postgres;Database=zuna"),
            "DSN=zuna_postgres;Database=zuna;UseDeclareFetch=1");
  EXPECT_EQ(WithCursorFetch("DSN=pg;PWD={a;b}"), "DSN=pg;PWD={a;b};UseDeclareFetch=1");
  EXPECT_EQ(WithCursorFetch("DSN=pg;usedeclarefetch=0"), "DSN=pg;usedeclarefetch=0");
  EXPECT_EQ(WithCursorFetch("DSN=pg;B6=0"), "DSN=pg;B6=0");
}

INSTANTIATE_TEST_SUITE_P(Targets, VerifyTest,
                         ::testing::Values(Target::kEmbedded, Target::kOdbcSqlite,
                                           Target::kPostgres, Target::kMariaDb),
                         TargetName);

}  // namespace
}  // namespace zuna::verify
