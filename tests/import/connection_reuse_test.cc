// One import run copies table after table through one connection to the embedded target, and
// each table's counts stay its own: a last group refused when its table closes, or a disk that
// fills, is charged to that table, and the tables around it are copied as without it.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "import/import_run.h"
#include "platform/sql/sqlite/sqlite_connection.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "tests/support/program_folder.h"
#include "tools/sample_data/generator.h"

namespace zuna::transfer {
namespace {

using sql::sqlite::SetStorageFaults;
using sql::sqlite::StorageFaults;

struct Counts {
  std::uint64_t read = 0, saved = 0, refused = 0;
  bool operator==(const Counts&) const = default;
};
using Tables = std::map<std::string, Counts>;

// Runs `at_start` when the rows of `table` start and `at_end` when it is done.
class AroundTable : public ImportObserver {
 public:
  AroundTable(std::string table, std::function<void()> at_start, std::function<void()> at_end)
      : table_(std::move(table)), at_start_(std::move(at_start)), at_end_(std::move(at_end)) {}
  void RowsDone(std::string_view table, std::uint64_t rows, std::uint64_t) override {
    if (table == table_ && rows == 0) at_start_();
  }
  void TableDone(const TableReport& report) override {
    if (report.table == table_) at_end_();
  }

 private:
  const std::string table_;
  const std::function<void()> at_start_, at_end_;
};

class ConnectionReuseTest : public ::testing::Test {
 protected:
  void TearDown() override { SetStorageFaults({}); }

  ImportSummary Import(ImportObserver* observer, Tables& tables,
                       const std::function<void(testkit::ProgramFolder&)>& prepare = {}) {
    testkit::ProgramFolder folder(ZUNA_SQL_DIR);
    folder.CreateDatabase();
    sample::SampleOptions sample;
    sample.personnel_rows = 500;
    sample.rows_per_table = 30;
    EXPECT_TRUE(sample::GenerateSampleData(folder.data(), sample).ok());
    sql::sqlite::SqliteOptions options;
    options.rows_per_commit = 100;
    options.max_commit_delay = std::chrono::hours(1);
    options.busy_timeout = std::chrono::milliseconds(1);
    options.commit_attempts = 2;
    folder.sources().set_sqlite_options(options);
    if (prepare) prepare(folder);
    testkit::RecordingOperator op;
    const ImportSummary summary = folder.Import(op, nullptr, "", observer);
    SetStorageFaults({});
    for (const TableReport& r : summary.tables) {
      tables[r.table] = {r.rows_read, r.rows_saved, r.rows_refused};
    }
    errors_ = folder.LogLines("import_errors");
    return summary;
  }

  // A small table with rows, in the middle of the first pass.
  static std::string SmallTableOf(const ImportSummary& summary) {
    std::vector<std::string> small;
    for (const TableReport& r : summary.tables) {
      if (r.rows_read > 0 && r.rows_read < 100 && r.rows_refused == 0) small.push_back(r.table);
    }
    return small.empty() ? "" : small[small.size() / 3];
  }

  testkit::Lines errors_;
};

TEST_F(ConnectionReuseTest, EveryTableGoesThroughOneConnection) {
  Tables tables;
  const ImportSummary summary = Import(nullptr, tables);
  EXPECT_GT(summary.tables.size(), 60u);
  EXPECT_EQ(summary.target_connections_opened, 1u);
  EXPECT_FALSE(summary.stopped());
  EXPECT_TRUE(summary.keys.ok()) << summary.keys.ToString();
}

TEST_F(ConnectionReuseTest, ALastGroupRefusedAtCloseIsChargedToItsTableOnly) {
  Tables plain;
  const std::string held = SmallTableOf(Import(nullptr, plain));
  ASSERT_FALSE(held.empty());

  // A reader holds the database while `held` is copied: its one group cannot be committed when
  // it closes.
  std::shared_ptr<sql::sqlite::SqliteConnection> reader;
  testkit::ProgramFolder* folder = nullptr;
  AroundTable hold(
      held,
      [&] {
        auto opened = sql::sqlite::SqliteConnection::OpenFile(folder->path() / "zuna.db");
        ASSERT_TRUE(opened.ok());
        reader = *opened;
        ASSERT_TRUE(reader->Execute("BEGIN; SELECT count(*) FROM personnel;").ok());
      },
      [&] { reader.reset(); });
  Tables tables;
  const ImportSummary summary =
      Import(&hold, tables, [&](testkit::ProgramFolder& f) { folder = &f; });
  EXPECT_FALSE(summary.stopped());
  EXPECT_EQ(summary.target_connections_opened, 1u);
  const Counts lost = tables[held];
  EXPECT_EQ(lost.read, plain[held].read);
  EXPECT_EQ(lost.saved, 0u);
  EXPECT_EQ(lost.refused, lost.read);
  tables.erase(held);
  plain.erase(held);
  EXPECT_EQ(tables, plain);
  // Each lost row is listed under its own table, once, with the close that lost them.
  std::set<std::string> rows;
  bool close_listed = false;
  for (const std::string& line : errors_) {
    if (line.find("database is locked") == std::string::npos) continue;
    ASSERT_EQ(line.rfind(held + "\t", 0), 0u) << line;
    const std::string row =
        line.substr(held.size() + 1, line.find('\t', held.size() + 1) - held.size() - 1);
    if (row == "0") {
      close_listed = line.find("close target") != std::string::npos;
    } else {
      EXPECT_TRUE(rows.insert(row).second) << line;
    }
  }
  EXPECT_EQ(rows.size(), lost.read);
  EXPECT_TRUE(close_listed);
}

// Sets a full disk when `table` is done, so that the next table's target opens through it.
class FillAfter : public ImportObserver {
 public:
  explicit FillAfter(std::string table) : table_(std::move(table)) {}
  void TableDone(const TableReport& report) override {
    if (report.table == table_) SetStorageFaults({StorageFaults::Kind::kDiskFull, 0});
  }

 private:
  const std::string table_;
};

TEST_F(ConnectionReuseTest, ADiskThatFillsAtATableStopsTheImportThere) {
  Tables plain;
  const ImportSummary first = Import(nullptr, plain);
  const std::string full = SmallTableOf(first);
  ASSERT_FALSE(full.empty());
  std::vector<std::string> before;
  for (const TableReport& r : first.tables) {
    if (r.table == full) break;
    before.push_back(r.table);
  }
  ASSERT_FALSE(before.empty());

  FillAfter fill(before.back());
  Tables tables;
  const ImportSummary summary = Import(&fill, tables);
  EXPECT_EQ(summary.stopped_at, full);
  EXPECT_EQ(summary.stopped_by.kind(), ErrorKind::kStorage) << summary.stopped_by.ToString();
  // The faults changed: the table that met them had a connection opened through them.
  EXPECT_EQ(summary.target_connections_opened, 2u);
  EXPECT_EQ(tables[full].saved, 0u);
  EXPECT_EQ(tables[full].refused, tables[full].read);
  for (const std::string& table : before) EXPECT_EQ(tables[table], plain[table]) << table;
}

}  // namespace
}  // namespace zuna::transfer
