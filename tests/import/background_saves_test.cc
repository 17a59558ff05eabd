// The import whose target saves on a thread of its own gives exactly what it gives when every
// row is saved before the next is read: the same database, the same logs byte for byte, the
// same summary and messages; with refusals in many groups of saves, replaced dates, lost fields,
// rows the engine refuses while later rows are already queued, a disk that fills, and a reader
// that holds the database.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <memory>

#include "import/import_run.h"
#include "platform/base/byte_order.h"
#include "platform/dbf/table_reader.h"
#include "platform/sql/sqlite/sqlite_connection.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "tests/support/program_folder.h"
#include "tools/sample_data/generator.h"

namespace zuna::transfer {
namespace {

namespace fs = std::filesystem;
using sql::sqlite::SetStorageFaults;
using sql::sqlite::StorageFaults;

constexpr std::uint64_t kPersonnelRows = 3000;
constexpr std::size_t kRowsPerCommit = 100;  // thirty groups of personnel rows

// Everything an import leaves that the operator can see.
struct Outcome {
  std::string database;
  std::string import_errors, personnel_rpt, paybill_rpt;
  std::string summary;
};

// A Unicode log's bytes, with the program folder (a fresh one for each import) named FOLDER.
std::string LogBytes(const fs::path& path, const fs::path& folder) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  const auto utf16 = [](std::string_view ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
  };
  const std::string name = utf16(folder.string()), placeholder = utf16("FOLDER");
  for (std::size_t at = bytes.find(name); at != std::string::npos; at = bytes.find(name, at)) {
    bytes.replace(at, name.size(), placeholder);
  }
  return bytes;
}

// Where two texts of lines first differ, for a readable failure.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const std::size_t from = at < 200 ? 0 : at - 200;
  return "at byte " + std::to_string(at) + ":\n" + a.substr(from, 400) + "\n---\n" +
         b.substr(from, 400);
}

// Every table's definition and rows in order, each value with its storage class.
std::string Dump(const fs::path& file) {
  sqlite3* db = nullptr;
  std::string dump;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open " + file.string();
  }
  std::vector<std::string> tables;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_schema ORDER BY name", -1, &stmt,
                     nullptr);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    const unsigned char* sql = sqlite3_column_text(stmt, 2);
    dump += type + " " + name + ": " + (sql ? reinterpret_cast<const char*>(sql) : "") + "\n";
    if (type == "table") tables.push_back(name);
  }
  sqlite3_finalize(stmt);
  for (const std::string& table : tables) {
    dump += "rows of " + table + "\n";
    const std::string query = "SELECT * FROM \"" + table + "\" ORDER BY rowid";
    sqlite3_prepare_v2(db, query.c_str(), -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const int type = sqlite3_column_type(stmt, i);
        const unsigned char* text = sqlite3_column_text(stmt, i);
        dump +=
            std::to_string(type) + ":" + (text ? reinterpret_cast<const char*>(text) : "") + "|";
      }
      dump += "\n";
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return dump;
}

std::string Describe(const ImportSummary& summary, const testkit::Lines& messages) {
  std::string text;
  for (const TableReport& r : summary.tables) {
    text += r.table + " " + std::to_string(static_cast<int>(r.outcome)) + " " +
            std::to_string(r.rows_read) + " " + std::to_string(r.rows_saved) + " " +
            std::to_string(r.rows_refused) + " " + std::to_string(r.fields_unassigned) + " " +
            std::to_string(r.deleted_skipped) + " " + std::to_string(r.undecodable_fields) + " " +
            std::to_string(r.header_rows) + " " + std::to_string(r.rows_in_file) + " " +
            (r.rows_unknown ? "unknown " : "") + (r.interrupted ? "interrupted " : "") +
            r.stopped_by.ToString() + "\n";
  }
  text +=
      "lost " + std::to_string(summary.rows_lost) + " rows, " +
      std::to_string(summary.fields_lost) + " fields, " + std::to_string(summary.skipped_failures) +
      " failures, " + std::to_string(summary.unlisted_failures) + " unlisted; stopped " +
      summary.stopped_by.ToString() + " at " + summary.stopped_at + "; keys " +
      summary.keys.ToString() + "; interrupted " + std::to_string(summary.interrupted) + " at " +
      summary.interrupted_at + " after " + std::to_string(summary.interrupted_after_row) + "\n";
  for (const std::string& message : messages) text += message + "\n";
  return text;
}

// Writes "12AB", which is no number, into basic_pay of every 97th personnel record: a lost field.
void SpoilNumbers(const fs::path& table) {
  auto reader = dbf::TableReader::Open(table);
  ASSERT_TRUE(reader.ok());
  std::uint32_t offset = 0, length = 0;
  for (const dbf::Field& field : (*reader)->fields()) {
    if (field.name == "basic_pay") offset = field.offset, length = field.length;
  }
  ASSERT_GE(length, 4u);
  reader->reset();
  std::fstream file(table, std::ios::in | std::ios::out | std::ios::binary);
  unsigned char fixed[12];
  file.read(reinterpret_cast<char*>(fixed), sizeof fixed);
  const std::uint32_t header = ReadLe16(fixed + 8), record = ReadLe16(fixed + 10);
  for (std::uint64_t n = 11; n < kPersonnelRows; n += 97) {
    file.seekp(static_cast<std::streamoff>(header + n * record + 1 + offset + length - 4));
    file.write("12AB", 4);
  }
}

// Asks for a stop when the copy of `table` has read `rows` rows, as the command line does on
// SIGINT.
class StopAtRow : public ImportObserver {
 public:
  StopAtRow(std::string table, std::uint64_t rows) : table_(std::move(table)), rows_(rows) {}
  void RowsDone(std::string_view table, std::uint64_t rows, std::uint64_t) override {
    if (table == table_ && rows == rows_) stop.Request(SIGINT);
  }
  void TableDone(const TableReport&) override {}
  StopRequest stop;

 private:
  const std::string table_;
  const std::uint64_t rows_;
};

class BackgroundSavesTest : public ::testing::Test {
 protected:
  void TearDown() override { SetStorageFaults({}); }

  // One import of the sample data into a fresh program folder. `prepare` runs just before it
  // and may return something to keep alive during the import.
  Outcome Import(bool background,
                 const std::function<std::shared_ptr<void>(testkit::ProgramFolder&)>& prepare) {
    testkit::ProgramFolder folder(ZUNA_SQL_DIR);
    folder.CreateDatabase();
    sample::SampleOptions sample;
    sample.personnel_rows = kPersonnelRows;
    sample.rows_per_table = 30;
    EXPECT_TRUE(sample::GenerateSampleData(folder.data(), sample).ok());
    SpoilNumbers(folder.data() / "personnel.dbf");
    sql::sqlite::SqliteOptions options;
    options.rows_per_commit = kRowsPerCommit;
    options.max_commit_delay = std::chrono::hours(1);
    options.busy_timeout = std::chrono::milliseconds(1);
    options.commit_attempts = 2;
    options.background_saves = background;
    folder.sources().set_sqlite_options(options);

    const std::shared_ptr<void> kept = prepare(folder);
    testkit::RecordingOperator op;
    const ImportSummary summary =
        stop_ ? folder.Import(op, nullptr, "", stop_.get(), &stop_->stop) : folder.Import(op);
    SetStorageFaults({});
    summary_ = summary;
    Outcome outcome;
    outcome.summary = Describe(summary, op.messages);
    outcome.database = Dump(folder.path() / "zuna.db");
    outcome.import_errors = LogBytes(folder.path() / "import_errors", folder.path());
    outcome.personnel_rpt = LogBytes(folder.path() / "personnel_rpt", folder.path());
    outcome.paybill_rpt = LogBytes(folder.path() / "paybill_rpt", folder.path());
    return outcome;
  }

  // Both ways, compared; the background run's summary is kept for the scenario's own checks.
  void ExpectTheSameBothWays(
      const std::function<std::shared_ptr<void>(testkit::ProgramFolder&)>& prepare) {
    const Outcome at_once = Import(false, prepare);
    if (stop_) stop_ = std::make_unique<StopAtRow>(stop_table_, stop_rows_);
    const Outcome background = Import(true, prepare);
    EXPECT_EQ(background.summary, at_once.summary);
    // Compared whole, shown where they part: a database or a log is large.
    EXPECT_TRUE(background.database == at_once.database)
        << FirstDifference(background.database, at_once.database);
    EXPECT_TRUE(background.import_errors == at_once.import_errors)
        << FirstDifference(background.import_errors, at_once.import_errors);
    EXPECT_TRUE(background.personnel_rpt == at_once.personnel_rpt)
        << FirstDifference(background.personnel_rpt, at_once.personnel_rpt);
    EXPECT_TRUE(background.paybill_rpt == at_once.paybill_rpt)
        << FirstDifference(background.paybill_rpt, at_once.paybill_rpt);
    personnel_ = *std::find_if(summary_.tables.begin(), summary_.tables.end(),
                               [](const TableReport& r) { return r.table == "personnel"; });
    log_bytes_ = background.personnel_rpt.size();
  }

  // Asks for a stop after stop_rows_ rows of stop_table_, both ways.
  void StopAt(std::string table, std::uint64_t rows) {
    stop_table_ = std::move(table);
    stop_rows_ = rows;
    stop_ = std::make_unique<StopAtRow>(stop_table_, stop_rows_);
  }

  std::unique_ptr<StopAtRow> stop_;
  std::string stop_table_;
  std::uint64_t stop_rows_ = 0;
  ImportSummary summary_;
  TableReport personnel_;
  std::size_t log_bytes_ = 0;
};

// The engine refuses every personnel row whose id_no ends a certain way, when it steps the
// insert: on the saving thread, while later rows are already read and queued.
std::shared_ptr<void> RefuseSomeRowsWhenSaved(testkit::ProgramFolder& folder) {
  auto connection = folder.sources().OpenConnection("dsn=pay");
  EXPECT_TRUE(connection.ok());
  EXPECT_TRUE((*connection)
                  ->Execute("CREATE TRIGGER refuse_some BEFORE INSERT ON personnel "
                            "WHEN NEW.id_no % 89 = 5 "
                            "BEGIN SELECT RAISE(ABORT, 'refused on saving'); END")
                  .ok());
  return nullptr;
}

TEST_F(BackgroundSavesTest, RefusalsInManyGroupsReplacedDatesAndLostFieldsLeaveTheSameTrail) {
  ExpectTheSameBothWays(RefuseSomeRowsWhenSaved);
  // Not a trivial import: refusals when converted and when saved, all over the table's thirty
  // groups, lost fields, and replaced dates in the anomaly log.
  EXPECT_EQ(personnel_.rows_read / kRowsPerCommit, 29u);
  EXPECT_GT(personnel_.rows_refused, 40u);
  EXPECT_GT(personnel_.fields_unassigned, 20u);
  EXPECT_GT(log_bytes_, 1000u);
  EXPECT_FALSE(summary_.stopped());
}

TEST_F(BackgroundSavesTest, ADiskThatFillsInTheMiddleOfATableStopsBothAtTheSameRow) {
  ExpectTheSameBothWays([](testkit::ProgramFolder& folder) {
    (void)RefuseSomeRowsWhenSaved(folder);
    SetStorageFaults({StorageFaults::Kind::kDiskFull, 1'000'000});
    return nullptr;
  });
  EXPECT_EQ(summary_.stopped_at, "personnel");
  EXPECT_GT(personnel_.rows_saved, 0u);
  EXPECT_LT(personnel_.rows_saved, personnel_.rows_read / 2);
}

TEST_F(BackgroundSavesTest, AReaderHoldingTheDatabaseLosesTheSameGroups) {
  ExpectTheSameBothWays([](testkit::ProgramFolder& folder) -> std::shared_ptr<void> {
    auto reader = sql::sqlite::SqliteConnection::OpenFile(folder.path() / "zuna.db");
    EXPECT_TRUE(reader.ok());
    EXPECT_TRUE((*reader)->Execute("BEGIN; SELECT count(*) FROM personnel;").ok());
    return *reader;
  });
  EXPECT_EQ(personnel_.rows_saved, 0u);
  EXPECT_FALSE(summary_.stopped());
}

// A stop asked for while rows are converted and queued but not yet saved (some of them refused
// by the engine when their turn comes): they are saved or listed, and committed, as when each row
// is saved before the next is read.
TEST_F(BackgroundSavesTest, AStopWithRowsInFlightSavesOrListsThemAll) {
  StopAt("personnel", 2048);
  ExpectTheSameBothWays(RefuseSomeRowsWhenSaved);
  EXPECT_TRUE(summary_.interrupted);
  EXPECT_EQ(summary_.interrupted_at, "personnel");
  EXPECT_EQ(summary_.interrupted_after_row, 2048u);
  EXPECT_TRUE(personnel_.interrupted);
  EXPECT_EQ(personnel_.rows_read, 2048u);
  EXPECT_GT(personnel_.rows_refused, 10u);
  EXPECT_EQ(personnel_.rows_saved + personnel_.rows_refused, personnel_.rows_read);
}

}  // namespace
}  // namespace zuna::transfer
