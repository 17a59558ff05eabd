// The import when the database cannot keep what it is given: a full disk under it, a reader
// holding it. Every source row ends in the table or in import_errors, and the counts say which;
// whether each row is saved before the next is read or the rows are saved on a thread of their
// own while the next are read.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "platform/sql/sqlite/sqlite_connection.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "tests/support/program_folder.h"

namespace zuna {
namespace {

namespace fs = std::filesystem;
using sql::sqlite::SetStorageFaults;
using sql::sqlite::StorageFaults;
using testkit::DbfBuilder;
using testkit::Lines;
using RowSet = std::set<std::uint64_t>;

constexpr long kBusy = 5;
constexpr long kFull = 13;

// The parameter: the target saves in the background.
class ImportStorageTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { folder_.CreateDatabase(); }
  void TearDown() override { SetStorageFaults({}); }

  // A department table whose row n has the code n, so the target shows which rows arrived.
  void Department(int rows) {
    DbfBuilder b;
    b.Field("DEPT_CODE", 'C', 4).Field("DEPT_NAME", 'C', 40);
    for (int n = 1; n <= rows; ++n) b.Row({std::to_string(n), std::string(40, 'N')});
    b.Write(folder_.data() / "department.dbf");
  }

  void Options(std::size_t rows_per_commit,
               std::chrono::milliseconds busy_timeout = std::chrono::milliseconds(5000)) {
    sql::sqlite::SqliteOptions options;
    options.rows_per_commit = rows_per_commit;
    options.max_commit_delay = std::chrono::hours(1);
    options.busy_timeout = busy_timeout;
    options.commit_attempts = 2;
    options.background_saves = GetParam();
    folder_.sources().set_sqlite_options(options);
  }

  const transfer::TableReport& Report(const transfer::ImportSummary& summary,
                                      std::string_view table) {
    return *std::find_if(summary.tables.begin(), summary.tables.end(),
                         [&](const transfer::TableReport& r) { return r.table == table; });
  }

  RowSet Arrived() {
    RowSet rows;
    for (const std::string& code : folder_.Rows("select dept_code from department")) {
      rows.insert(std::stoull(code));
    }
    return rows;
  }

  // The source rows import_errors lists as lost for `table` with error `number`: a line per row
  // ("table<TAB>row<TAB><TAB>number<TAB>..."), or a range ("... rows A to B, ...").
  RowSet Listed(std::string_view table, long number) {
    RowSet rows;
    const std::string prefix = std::string(table) + "\t";
    for (const std::string& line : folder_.LogLines("import_errors")) {
      if (!line.starts_with(prefix)) continue;
      std::size_t row_end = line.find('\t', prefix.size());
      const std::uint64_t row = std::stoull(line.substr(prefix.size(), row_end - prefix.size()));
      const std::size_t field_end = line.find('\t', row_end + 1);
      if (field_end != row_end + 1) continue;  // a field or a step, not a row
      const std::size_t number_end = line.find('\t', field_end + 1);
      if (std::stol(line.substr(field_end + 1, number_end - field_end - 1)) != number) continue;
      if (row != 0) {
        EXPECT_TRUE(rows.insert(row).second) << "listed twice: " << line;
        continue;
      }
      std::smatch range;
      if (!std::regex_search(line, range, std::regex(R"(: rows (\d+) to (\d+)[,:])"))) continue;
      const std::uint64_t first = std::stoull(range[1]), last = std::stoull(range[2]);
      for (std::uint64_t r = first; r <= last; ++r) {
        EXPECT_TRUE(rows.insert(r).second) << "listed twice: " << r << " " << line;
      }
    }
    return rows;
  }

  static RowSet Range(std::uint64_t first, std::uint64_t last) {
    RowSet rows;
    for (std::uint64_t r = first; r <= last; ++r) rows.insert(r);
    return rows;
  }

  bool HasLine(std::string_view start) {
    const Lines lines = folder_.LogLines("import_errors");
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.starts_with(start); });
  }

  testkit::ProgramFolder folder_{ZUNA_SQL_DIR};
  testkit::RecordingOperator op_;
};

TEST_P(ImportStorageTest, AFullDiskStopsTheImportWithEveryRowAccountedFor) {
  constexpr int kRows = 3000;
  Department(kRows);
  DbfBuilder()
      .Field("GIS_CODE", 'C', 4)
      .Row({"G1"})
      .Row({"G2"})
      .Write(folder_.data() / "gisgrp.dbf");
  DbfBuilder().Field("DDO_CODE", 'C', 4).Row({"D1"}).Write(folder_.data() / "installation.dbf");
  Options(500);
  // Room for a few groups of department rows, not for all: the disk fills at the COMMIT of
  // rows 1001-1500, or at a save in the middle of rows 1501-2000.
  for (const std::uint64_t room : {200'000, 250'000}) {
    SCOPED_TRACE(room);
    fs::remove(folder_.path() / "zuna.db");
    folder_.CreateDatabase();
    SetStorageFaults({StorageFaults::Kind::kDiskFull, room});
    const transfer::ImportSummary summary = folder_.Import(op_);
    SetStorageFaults({});

    ASSERT_TRUE(summary.stopped());
    EXPECT_EQ(summary.stopped_by.number(), kFull);
    EXPECT_EQ(summary.stopped_at, "department");
    const transfer::TableReport& department = Report(summary, "department");
    EXPECT_EQ(department.stopped_by.number(), kFull);
    EXPECT_EQ(department.rows_read, static_cast<std::uint64_t>(kRows));
    EXPECT_EQ(department.rows_saved + department.rows_refused, department.rows_read);

    // Saved means in the table; every other row is listed once, under its number or in a range.
    const RowSet arrived = Arrived();
    EXPECT_EQ(arrived, Range(1, department.rows_saved));
    EXPECT_GT(arrived.size(), 0u);
    EXPECT_LT(arrived.size(), static_cast<std::size_t>(kRows));
    RowSet accounted = Listed("department", kFull);
    EXPECT_EQ(accounted.size(), department.rows_refused);
    accounted.insert(arrived.begin(), arrived.end());
    EXPECT_EQ(accounted, Range(1, kRows));

    // The later tables are read and counted, not copied; the finishing steps do not run.
    EXPECT_EQ(folder_.Rows("select count(*) from gisgrp"), (Lines{"0"}));
    EXPECT_EQ(Report(summary, "gisgrp").rows_refused, 2u);
    EXPECT_EQ(Listed("gisgrp", kFull), Range(1, 2));
    EXPECT_EQ(Listed("installation", kFull), Range(1, 1));
    EXPECT_EQ(summary.rows_lost, department.rows_refused + 3);
    EXPECT_TRUE(HasLine("installation\t0\tdbf_type\t13\tnot run: "));
    EXPECT_TRUE(HasLine("pk.sql\t0\t\t13\tnot run: "));

    ASSERT_GE(op_.messages.size(), 2u);
    EXPECT_EQ(op_.messages[op_.messages.size() - 2], "Completed");
    const std::string& loss = op_.messages.back();
    EXPECT_TRUE(
        loss.starts_with("information: " + std::to_string(summary.rows_lost) + " rows and "))
        << loss;
    EXPECT_NE(loss.find(" Saving stopped at table department, where the database could not "
                        "store more rows (error 13: database or disk is full)"),
              std::string::npos)
        << loss;
  }
}

TEST_P(ImportStorageTest, AReaderHoldingTheDatabaseLosesItsGroupsButNeverClaimsThemSaved) {
  // Groups of 50: rows 1-50 and 51-100 are given up when their COMMIT is, rows 101-120 when the
  // table is closed. Each is listed under its source row; the next group starts afresh.
  Department(120);
  Options(50, std::chrono::milliseconds(1));
  auto reader = sql::sqlite::SqliteConnection::OpenFile(folder_.path() / "zuna.db");
  ASSERT_TRUE(reader.ok());
  ASSERT_TRUE((*reader)->Execute("BEGIN; SELECT count(*) FROM department;").ok());
  const transfer::ImportSummary summary = folder_.Import(op_);
  ASSERT_TRUE((*reader)->Execute("COMMIT").ok());

  const transfer::TableReport& department = Report(summary, "department");
  EXPECT_EQ(department.rows_saved, 0u);
  EXPECT_EQ(department.rows_refused, 120u);
  EXPECT_TRUE(department.stopped_by.ok());  // a lock passes: it stops nothing
  EXPECT_FALSE(summary.stopped());
  EXPECT_EQ(Listed("department", kBusy), Range(1, 120));
  EXPECT_EQ(Arrived(), RowSet{});
  EXPECT_TRUE(HasLine("department\t0\tclose target\t5\t"));
}

INSTANTIATE_TEST_SUITE_P(SavePaths, ImportStorageTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& path) {
                           return path.param ? "Background" : "AtOnce";
                         });

}  // namespace
}  // namespace zuna
