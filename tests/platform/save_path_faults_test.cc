// The embedded engine's groups of saves when a commit cannot be made: a reader holding the file,
// a full disk, a failing device. A lost group's rows are listed, never counted saved, and the
// next group starts fresh.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/sources/data_sources.h"
#include "platform/sql/sql_errors.h"
#include "platform/sql/sqlite/sqlite_connection.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "tests/support/dbf_builder.h"

namespace zuna::sql::sqlite {
namespace {

using recordset::LateRefusal;

namespace fs = std::filesystem;
using Tags = std::vector<std::uint64_t>;

constexpr long kBusy = 5;      // SQLITE_BUSY: "database is locked"
constexpr long kFull = 13;     // SQLITE_FULL: "database or disk is full"
constexpr long kIoError = 10;  // SQLITE_IOERR, the primary code of every I/O error
constexpr std::size_t kPadding = 400;

class SavePathFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto master = SqliteConnection::OpenCatalog(folder_.path(), "master");
    ASSERT_TRUE(master.ok());
    ASSERT_TRUE((*master)->Execute("CREATE DATABASE zuna").ok());
    auto zuna = SqliteConnection::OpenFile(file());
    ASSERT_TRUE(zuna.ok());
    ASSERT_TRUE((*zuna)->Execute("CREATE TABLE t (n int, pad varchar(400))").ok());
  }
  void TearDown() override { SetStorageFaults({}); }

  fs::path file() const { return folder_ / "zuna.db"; }

  // The writer: a connection with small groups and short waits.
  std::shared_ptr<SqliteConnection> Writer(
      std::size_t rows_per_commit, int commit_attempts = 2,
      std::chrono::milliseconds busy_timeout = std::chrono::milliseconds(1)) {
    SqliteOptions options;
    options.rows_per_commit = rows_per_commit;
    options.max_commit_delay = std::chrono::hours(1);
    options.busy_timeout = busy_timeout;
    options.commit_attempts = commit_attempts;
    auto writer = SqliteConnection::OpenFile(file(), options);
    EXPECT_TRUE(writer.ok()) << writer.status().ToString();
    return writer.ok() ? *writer : nullptr;
  }

  // A second connection that holds a read transaction until it is released.
  std::shared_ptr<SqliteConnection> Reader() {
    auto reader = SqliteConnection::OpenFile(file());
    EXPECT_TRUE(reader.ok());
    EXPECT_TRUE((*reader)->Execute("BEGIN; SELECT count(*) FROM sqlite_schema;").ok());
    return *reader;
  }

  // Saves row `n` of t, tagged n, as the import saves its rows.
  Status Save(SqliteConnection& writer, std::uint64_t n) {
    auto columns = writer.TableColumns("t");
    if (!columns.ok()) return columns.status();
    const Value number = Value::Integer(static_cast<std::int64_t>(n));
    const Value pad = Value::Text(std::string(kPadding, 'x'));
    return writer.Insert("t", *columns, {0, 1}, {&number, &pad}, n);
  }

  static Tags TagsOf(const std::vector<LateRefusal>& late, long number) {
    Tags tags;
    for (const LateRefusal& refusal : late) {
      EXPECT_EQ(refusal.status.number() & 0xff, number) << refusal.status.ToString();
      tags.push_back(refusal.tag);
    }
    return tags;
  }
  static Tags Range(std::uint64_t first, std::uint64_t last) {
    Tags tags;
    for (std::uint64_t n = first; n <= last; ++n) tags.push_back(n);
    return tags;
  }

  // Saves rows 1, 2, ... into an emptied t under `faults` until a save fails.
  struct Failure {
    std::uint64_t row = 0;
    Status status;
    Tags lost;  // the rows listed as refused after their save had succeeded
  };
  Failure SaveUntilFailure(const StorageFaults& faults, std::size_t rows_per_commit) {
    SetStorageFaults({});
    // Emptied and shrunk, so that the file grows again as a fresh one does.
    EXPECT_TRUE(Writer(1)->Execute("DELETE FROM t; VACUUM;").ok());
    SetStorageFaults(faults);
    auto writer = Writer(rows_per_commit);
    Failure failure;
    while (failure.status.ok() && failure.row < 10'000) {
      failure.status = Save(*writer, ++failure.row);
    }
    failure.lost = TagsOf(writer->TakeLateRefusals(), failure.status.number() & 0xff);
    return failure;
  }

  // The values of n in t, read by a fresh connection without faults.
  Tags Saved() {
    SetStorageFaults({});
    Tags saved;
    auto reader = SqliteConnection::OpenFile(file());
    EXPECT_TRUE(reader.ok());
    auto cursor = (*reader)->Query("SELECT n FROM t ORDER BY n");
    EXPECT_TRUE(cursor.ok()) << cursor.status().ToString();
    std::vector<Value> row;
    while (cursor.ok() && *(*cursor)->Next(row)) saved.push_back(row[0].integer());
    return saved;
  }

  testkit::TempFolder folder_;
};

TEST_F(SavePathFaultsTest, ACommitBlockedByAReaderLosesItsGroupWholeAndTheNextGroupStartsFresh) {
  auto writer = Writer(10);
  auto reader = Reader();
  for (std::uint64_t n = 1; n <= 9; ++n) ASSERT_TRUE(Save(*writer, n).ok());
  // The tenth row fills the group; its COMMIT waits for the reader, is tried again and given up.
  const Status tenth = Save(*writer, 10);
  EXPECT_EQ(tenth.number() & 0xff, kBusy) << tenth.ToString();
  EXPECT_EQ(tenth.kind(), ErrorKind::kDatabase);  // a lock passes; it stops nothing
  EXPECT_EQ(TagsOf(writer->TakeLateRefusals(), kBusy), Range(1, 9));

  ASSERT_TRUE(reader->Execute("COMMIT").ok());
  for (std::uint64_t n = 11; n <= 15; ++n) {
    const Status saved = Save(*writer, n);
    EXPECT_TRUE(saved.ok()) << n << ": " << saved.ToString();
  }
  ASSERT_TRUE(writer->Flush().ok());
  EXPECT_TRUE(writer->TakeLateRefusals().empty());
  EXPECT_EQ(Saved(), Range(11, 15));
}

TEST_F(SavePathFaultsTest, AFailedCommitWhenTheTableIsClosedListsEveryRowOfTheLastGroup) {
  auto writer = Writer(10'000);
  auto reader = Reader();
  for (std::uint64_t n = 1; n <= 214; ++n) ASSERT_TRUE(Save(*writer, n).ok());
  const Status closed = writer->Flush();
  EXPECT_EQ(closed.number() & 0xff, kBusy) << closed.ToString();
  EXPECT_EQ(TagsOf(writer->TakeLateRefusals(), kBusy), Range(1, 214));
  ASSERT_TRUE(reader->Execute("COMMIT").ok());
  EXPECT_EQ(Saved(), Tags{});
}

TEST_F(SavePathFaultsTest, AReaderThatLetsGoWhileTheCommitIsRetriedLosesNothing) {
  // Each attempt waits 20 ms; the reader goes after 200 ms, long before the 2,000 attempts end.
  auto writer = Writer(10'000, 2'000, std::chrono::milliseconds(20));
  auto reader = Reader();
  std::atomic<bool> released = false;
  std::thread later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    released = reader->Execute("COMMIT").ok();
  });
  for (std::uint64_t n = 1; n <= 50; ++n) ASSERT_TRUE(Save(*writer, n).ok());
  const Status closed = writer->Flush();
  later.join();
  EXPECT_TRUE(released);
  EXPECT_TRUE(closed.ok()) << closed.ToString();
  EXPECT_TRUE(writer->TakeLateRefusals().empty());
  EXPECT_EQ(Saved(), Range(1, 50));
}

TEST_F(SavePathFaultsTest, AFullDiskAnywhereInAGroupLosesThatGroupAsAStorageFailure) {
  // The allowances put the failure at a COMMIT (row 40 or 80), at the first save of a group
  // (row 41 or 81) and at a save in the middle of one (its journal grows): each loses exactly
  // the open group's rows, and what the file keeps is the groups committed before.
  for (const std::uint64_t room : {20'000, 80'000, 100'000, 120'000, 160'000, 200'000}) {
    SCOPED_TRACE(room);
    const Failure failure = SaveUntilFailure({StorageFaults::Kind::kDiskFull, room}, 40);
    ASSERT_EQ(failure.status.number() & 0xff, kFull) << failure.status.ToString();
    EXPECT_EQ(failure.status.kind(), ErrorKind::kStorage);
    const std::uint64_t group_start = (failure.row - 1) / 40 * 40 + 1;
    EXPECT_EQ(failure.lost, Range(group_start, failure.row - 1));
    EXPECT_EQ(Saved(), Range(1, group_start - 1));
  }
}

TEST_F(SavePathFaultsTest, AnIoErrorLosesTheOpenGroupAndLeavesTheFileConsistent) {
  for (const std::uint64_t room : {30'000, 200'000, 400'000}) {
    SCOPED_TRACE(room);
    const Failure failure = SaveUntilFailure({StorageFaults::Kind::kIoError, room}, 40);
    ASSERT_EQ(failure.status.number() & 0xff, kIoError) << failure.status.ToString();
    EXPECT_EQ(failure.status.kind(), ErrorKind::kStorage);
    const std::uint64_t group_start = (failure.row - 1) / 40 * 40 + 1;
    EXPECT_EQ(failure.lost, Range(group_start, failure.row - 1));
    // A fresh connection rolls back what the failed COMMIT left half written.
    EXPECT_EQ(Saved(), Range(1, group_start - 1));
  }
}

// The same saves on a thread of their own: every save only queues its row, each row's own
// outcome comes back in its place, and groups are lost exactly as when rows are saved at once.
TEST_F(SavePathFaultsTest, InTheBackgroundACommitBlockedByAReaderLosesTheSameGroups) {
  auto writer = Writer(10);
  ASSERT_TRUE(writer->StartBackgroundSaves());
  auto reader = Reader();
  for (std::uint64_t n = 1; n <= 25; ++n) ASSERT_TRUE(Save(*writer, n).ok());
  std::vector<LateRefusal> own;
  EXPECT_EQ(writer->TakeSaveRefusals(own, /*wait=*/true), 25u);
  EXPECT_EQ(TagsOf(own, kBusy), (Tags{10, 20}));
  ASSERT_TRUE(reader->Execute("COMMIT").ok());
  ASSERT_TRUE(writer->Flush().ok());
  Tags lost = Range(1, 9);
  for (std::uint64_t n = 11; n <= 19; ++n) lost.push_back(n);
  EXPECT_EQ(TagsOf(writer->TakeLateRefusals(), kBusy), lost);
  EXPECT_EQ(Saved(), Range(21, 25));
}

TEST_F(SavePathFaultsTest, InTheBackgroundAFullDiskStopsAtTheSameRowAndNothingAfterIsSaved) {
  for (const std::uint64_t room : {80'000, 120'000, 200'000}) {
    SCOPED_TRACE(room);
    const StorageFaults faults{StorageFaults::Kind::kDiskFull, room};
    const Failure at_once = SaveUntilFailure(faults, 40);
    ASSERT_EQ(at_once.status.number() & 0xff, kFull) << at_once.status.ToString();

    SetStorageFaults({});
    ASSERT_TRUE(Writer(1)->Execute("DELETE FROM t; VACUUM;").ok());
    SetStorageFaults(faults);
    {
      auto writer = Writer(40);
      ASSERT_TRUE(writer->StartBackgroundSaves());
      // Well past the failing row, as a reader that is ahead hands them in.
      for (std::uint64_t n = 1; n <= at_once.row + 300; ++n) ASSERT_TRUE(Save(*writer, n).ok());
      std::vector<LateRefusal> own;
      EXPECT_EQ(writer->TakeSaveRefusals(own, /*wait=*/true), at_once.row + 300);
      ASSERT_EQ(own.size(), 1u);
      EXPECT_EQ(own[0].tag, at_once.row);
      EXPECT_EQ(own[0].status, at_once.status);
      EXPECT_EQ(TagsOf(writer->TakeLateRefusals(), kFull), at_once.lost);
    }
    const std::uint64_t group_start = (at_once.row - 1) / 40 * 40 + 1;
    EXPECT_EQ(Saved(), Range(1, group_start - 1));
  }
}

TEST_F(SavePathFaultsTest, InTheBackgroundARowTheEngineRefusesComesBackWhileLaterRowsQueue) {
  ASSERT_TRUE(Writer(1)->Execute("CREATE UNIQUE INDEX one_n ON t (n)").ok());
  auto writer = Writer(100);
  ASSERT_TRUE(writer->StartBackgroundSaves());
  auto columns = writer->TableColumns("t");
  ASSERT_TRUE(columns.ok());
  const Value pad = Value::Text("x");
  // Rows 3 and 700 repeat the number of row 1; their saves are queued like all others.
  for (std::uint64_t tag = 1; tag <= 1000; ++tag) {
    const Value number =
        Value::Integer(tag == 3 || tag == 700 ? 1 : static_cast<std::int64_t>(tag));
    ASSERT_TRUE(writer->Insert("t", *columns, {0, 1}, {&number, &pad}, tag).ok()) << tag;
  }
  std::vector<LateRefusal> own;
  EXPECT_EQ(writer->TakeSaveRefusals(own, /*wait=*/true), 1000u);
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[0].tag, 3u);
  EXPECT_EQ(own[1].tag, 700u);
  EXPECT_EQ(own[0].status.number(), kErrUniqueIndex) << own[0].status.ToString();
  ASSERT_TRUE(writer->Flush().ok());
  EXPECT_TRUE(writer->TakeLateRefusals().empty());
  EXPECT_EQ(Saved().size(), 998u);
}

TEST_F(SavePathFaultsTest, ADatabaseThatCouldNotBeCreatedLeavesNoFile) {
  auto master = SqliteConnection::OpenCatalog(folder_.path(), "master");
  ASSERT_TRUE(master.ok());
  SetStorageFaults({StorageFaults::Kind::kDiskFull, 0});
  const Status full = (*master)->Execute("CREATE DATABASE payroll");
  EXPECT_EQ(full.number() & 0xff, kFull) << full.ToString();
  EXPECT_EQ(full.kind(), ErrorKind::kStorage);
  EXPECT_FALSE(fs::exists(folder_ / "payroll.db"));

  SetStorageFaults({});
  const Status again = (*master)->Execute("CREATE DATABASE payroll");
  EXPECT_TRUE(again.ok()) << again.ToString();  // not 1801 "already exists"
  EXPECT_GT(fs::file_size(folder_ / "payroll.db"), 0u);
}

}  // namespace
}  // namespace zuna::sql::sqlite
