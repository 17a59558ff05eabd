// The embedded target's connection kept from one recordset to the next (ConnectionReuse): handed
// on only when its work has ended, each recordset's refusals its own, and nothing kept past the
// scope or shared with another thread.
#include <gtest/gtest.h>

#include <thread>

#include "core/connection_texts.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/sqlite/sqlite_connection.h"
#include "platform/sql/sqlite/storage_faults.h"
#include "tests/support/dbf_builder.h"

namespace zuna::sources {
namespace {

namespace fs = std::filesystem;
using recordset::LateRefusal;
using sql::sqlite::SetStorageFaults;
using sql::sqlite::StorageFaults;

constexpr long kBusy = 5;   // SQLITE_BUSY: "database is locked"
constexpr long kFull = 13;  // SQLITE_FULL: "database or disk is full"

class KeptConnectionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sources_ = std::make_unique<DataSources>(folder_.path(), config::IniFile(),
                                             std::vector<std::string>{});
    sql::sqlite::SqliteOptions options;
    options.rows_per_commit = 1000;  // each table's rows are committed when it closes
    options.max_commit_delay = std::chrono::hours(1);
    options.busy_timeout = std::chrono::milliseconds(1);
    options.commit_attempts = 2;
    sources_->set_sqlite_options(options);
    auto master = sources_->OpenConnection(core::kMasterPrefix);
    ASSERT_TRUE(master.ok());
    ASSERT_TRUE((*master)->Execute("CREATE DATABASE zuna").ok());
    auto zuna = Pay();
    ASSERT_TRUE(zuna->Execute("CREATE TABLE a (n int); CREATE TABLE b (n int);").ok());
  }
  void TearDown() override { SetStorageFaults({}); }

  std::shared_ptr<sql::Connection> Pay() {
    auto connection = sources_->OpenConnection(core::kPayConnection);
    EXPECT_TRUE(connection.ok()) << connection.status().ToString();
    return connection.ok() ? *connection : nullptr;
  }

  // What saving rows 1..count into `table` through one recordset gave, as the import's copier
  // saves a table: the close's status and the rows refused after their save returned Ok (when
  // saved or when their group was committed).
  struct Saved {
    Status closed;
    std::vector<std::uint64_t> late;
    long late_number = 0;
    bool storage = false;  // a refusal of the storage itself among them
  };
  Saved SaveRows(const std::string& table, int count, bool background) {
    Saved saved;
    auto rs = sources_->OpenRecordset("select * from " + table, core::kPayConnection);
    EXPECT_TRUE(rs.ok()) << rs.status().ToString();
    if (!rs.ok()) return saved;
    if (background) (void)(*rs)->SaveInBackground();
    for (int n = 1; n <= count; ++n) {
      EXPECT_TRUE((*rs)->AddNew().ok());
      EXPECT_TRUE((*rs)->Set(0, Value::Integer(n)).ok());
      EXPECT_TRUE((*rs)->UpdateTagged(static_cast<std::uint64_t>(n)).ok());
    }
    std::vector<LateRefusal> refused;
    (void)(*rs)->TakeSaveRefusals(refused, true);
    saved.closed = (*rs)->Close();
    for (LateRefusal& late : (*rs)->TakeLateRefusals()) refused.push_back(std::move(late));
    for (const LateRefusal& late : refused) {
      saved.late.push_back(late.tag);
      saved.late_number = late.status.number() & 0xff;
      saved.storage = saved.storage || late.status.kind() == ErrorKind::kStorage;
    }
    return saved;
  }

  std::string Count(const std::string& table) {
    auto cursor = Pay()->Query("select count(*) from " + table);
    EXPECT_TRUE(cursor.ok());
    std::vector<Value> row;
    if (!cursor.ok() || !*(*cursor)->Next(row)) return "none";
    return row[0].ToText();
  }

  testkit::TempFolder folder_;
  std::unique_ptr<DataSources> sources_;
};

TEST_F(KeptConnectionsTest, OneConnectionServesRecordsetAfterRecordsetAndGoesWithTheScope) {
  std::weak_ptr<sql::Connection> kept;
  {
    ConnectionReuse reuse(*sources_);
    for (const bool background : {true, false}) {
      EXPECT_EQ(SaveRows("a", 50, background).closed, Status::Ok());
      EXPECT_EQ(SaveRows("b", 20, background).closed, Status::Ok());
    }
    EXPECT_EQ(reuse.kept().opened(), 1u);
    EXPECT_EQ(reuse.kept().reused(), 3u);
    std::shared_ptr<sql::Connection> first = Pay();
    kept = first;
    // One still held: the next open gets a connection of its own, and the held one is left.
    std::shared_ptr<sql::Connection> second = Pay();
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(reuse.kept().opened(), 2u);
    const sql::Connection* const kept_one = first.get();
    second.reset();
    first.reset();
    EXPECT_EQ(Pay().get(), kept_one);
    // Another thread opens its own, and the kept one stays the kept one.
    std::thread([&] { EXPECT_NE(Pay().get(), kept_one); }).join();
    EXPECT_EQ(reuse.kept().opened(), 2u);
    EXPECT_EQ(Count("a"), "100");
    EXPECT_EQ(Count("b"), "40");
  }
  // Nothing is kept for what runs after: the connection closed with the scope.
  EXPECT_TRUE(kept.expired());
  std::shared_ptr<sql::Connection> later = Pay();
  std::shared_ptr<sql::Connection> again = Pay();
  EXPECT_NE(later.get(), again.get());
}

TEST_F(KeptConnectionsTest, ALastGroupRefusedAtCloseIsChargedToItsOwnRecordsetOnly) {
  ConnectionReuse reuse(*sources_);
  EXPECT_TRUE(SaveRows("a", 10, true).late.empty());
  {
    // A reader holds the database while b's only group is committed: all of b is lost, and b
    // alone lists it.
    auto reader = sql::sqlite::SqliteConnection::OpenFile(folder_ / "zuna.db");
    ASSERT_TRUE(reader.ok());
    ASSERT_TRUE((*reader)->Execute("BEGIN; SELECT count(*) FROM a;").ok());
    const Saved b = SaveRows("b", 7, true);
    EXPECT_EQ(b.late, (std::vector<std::uint64_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(b.late_number, kBusy);
  }
  // The connection that lost b's group serves a again, with nothing of b's left on it.
  const Saved a = SaveRows("a", 5, true);
  EXPECT_TRUE(a.late.empty());
  EXPECT_EQ(a.closed, Status::Ok());
  EXPECT_EQ(reuse.kept().opened(), 1u);
  EXPECT_EQ(Count("a"), "15");
  EXPECT_EQ(Count("b"), "0");
}

TEST_F(KeptConnectionsTest, AStorageFailureStaysWithItsRecordsetAndNewFaultsGetAFreshConnection) {
  ConnectionReuse reuse(*sources_);
  EXPECT_EQ(SaveRows("a", 10, true).closed, Status::Ok());
  // Faults set after the connection opened are not its own: the next recordset opens through
  // them, and the full disk refuses b's group when b closes.
  SetStorageFaults({StorageFaults::Kind::kDiskFull, 0});
  const Saved b = SaveRows("b", 300, true);
  EXPECT_EQ(reuse.kept().opened(), 2u);
  ASSERT_FALSE(b.late.empty());
  EXPECT_EQ(b.late.front(), 1u);
  EXPECT_EQ(b.late_number, kFull);
  EXPECT_TRUE(b.storage);
  SetStorageFaults({});
  const Saved a = SaveRows("a", 3, false);
  EXPECT_EQ(a.closed, Status::Ok());
  EXPECT_TRUE(a.late.empty());
  EXPECT_EQ(reuse.kept().opened(), 3u);
  EXPECT_EQ(Count("a"), "13");
  EXPECT_EQ(Count("b"), "0");
}

}  // namespace
}  // namespace zuna::sources
