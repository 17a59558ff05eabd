// Rows converted on the caller's thread and saved on a thread of their own: converted as SQL
// Server converts them, saved in order, refusals back in order with their rows, no more rows
// read ahead than a group of saves holds, and nothing saved after the storage failed.
#include "platform/sql/save_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "platform/sql/row_batch.h"
#include "platform/sql/sql_errors.h"

namespace zuna::sql {
namespace {

using recordset::LateRefusal;
using Tags = std::vector<std::uint64_t>;

SavePlan& Plan(std::vector<std::string> declared_types) {
  static std::vector<std::unique_ptr<SavePlan>> plans;
  auto plan = std::make_unique<SavePlan>();
  plan->table = "t";
  for (std::size_t i = 0; i < declared_types.size(); ++i) {
    plan->assigned.push_back(static_cast<int>(i));
    plan->types.push_back(ParseColumnType(declared_types[i]));
    plan->names.push_back("c" + std::to_string(i));
  }
  plans.push_back(std::move(plan));
  return *plans.back();
}

// What a converted value is given to the engine as, in a form a test can compare.
std::string Shown(const RowBatch& batch, const RowBatch::Row& row, std::uint32_t index) {
  const BoundValue& v = batch.value(row, index);
  switch (v.kind) {
    case BoundValue::Kind::kNull:
      return "null";
    case BoundValue::Kind::kInteger:
      return "integer " + std::to_string(v.integer);
    case BoundValue::Kind::kDouble:
      return "double " + FormatDouble(v.number);
    case BoundValue::Kind::kText:
      return "text '" + std::string(batch.bytes(v)) + "'";
    case BoundValue::Kind::kBlob:
      return "blob " + std::to_string(v.size);
  }
  return "?";
}

TEST(RowBatchTest, ValuesAreGivenAsTheColumnStoresThem) {
  SavePlan& plan = Plan({"varchar(10)", "int", "decimal(8,2)", "bit", "datetime", "date",
                         "datetime", "", "varchar(max)", "float", "varbinary(2)"});
  const Value values[] = {
      Value::Text("ab  "),         Value::Integer(42),
      Value::Decimal(1250, 2),     Value::Boolean(true),
      Value::Date({2024, 3, 1}),   Value::DateTime({2024, 3, 1}, {13, 5, 9, 250}),
      Value::Text("01/01/1900"),  // a text date is read day first
      Value::Date({1999, 12, 31}), Value::Null(),
      Value::Integer(3),           Value::Binary(std::string("\0\1", 2))};
  std::vector<const Value*> pointers;
  for (const Value& v : values) pointers.push_back(&v);

  RowBatch batch;
  batch.BeginRow(7, plan);
  ASSERT_TRUE(batch.AppendRow(pointers));
  const RowBatch::Row& row = batch.row(0);
  EXPECT_EQ(row.tag, 7u);
  EXPECT_EQ(row.plan, &plan);
  std::vector<std::string> shown;
  for (std::uint32_t i = 0; i < row.count; ++i) shown.push_back(Shown(batch, row, i));
  EXPECT_EQ(shown, (std::vector<std::string>{"text 'ab  '", "integer 42", "double 12.5",
                                             "integer 1", "text '2024-03-01 00:00:00'",
                                             "text '2024-03-01'", "text '1900-01-01 00:00:00'",
                                             "text '1999-12-31'", "null", "double 3", "blob 2"}));
}

TEST(RowBatchTest, ARefusedRowKeepsItsPlaceWithoutItsValues) {
  SavePlan& plan = Plan({"varchar(2)", "int"});
  const Value fits = Value::Text("ab"), too_long = Value::Text("abc"), number = Value::Integer(1);
  RowBatch batch;
  batch.BeginRow(1, plan);
  ASSERT_TRUE(batch.AppendRow({&fits, &number}));
  batch.BeginRow(2, plan);
  EXPECT_FALSE(batch.AppendRow({&too_long, &number}));
  batch.BeginRow(3, plan);
  ASSERT_TRUE(batch.AppendRow({&fits, &number}));

  ASSERT_EQ(batch.size(), 3u);
  EXPECT_EQ(batch.row(1).count, 0u);
  EXPECT_EQ(batch.refusal(batch.row(1)).number(), kErrTruncation);
  EXPECT_EQ(batch.row(0).refusal, -1);
  EXPECT_EQ(Shown(batch, batch.row(2), 0), "text 'ab'");
  EXPECT_EQ(Shown(batch, batch.row(2), 1), "integer 1");
  batch.Clear();
  EXPECT_TRUE(batch.empty());
}

// A saver that saves into a list, commits every `commit_every` rows, refuses the rows it is
// told to, and checks on every row that the caller is no further ahead than allowed.
class ListSaver final : public SaveThread::Saver {
 public:
  ListSaver(std::size_t commit_every, std::set<std::uint64_t> refused = {},
            std::uint64_t storage_fails_at = 0)
      : commit_every_(commit_every), refused_(std::move(refused)), fails_at_(storage_fails_at) {}

  Status SaveRow(const RowBatch& batch, std::size_t index) override {
    const RowBatch::Row& row = batch.row(index);
    threads.insert(std::this_thread::get_id());
    if (index == 0) batch_sizes.push_back(batch.size());
    // Rows handed in that have not ended (committed or refused), this one included.
    max_ahead = std::max(max_ahead, handed_in.load() - ended_);
    if (row.tag == fails_at_) {
      ++ended_;
      return Status(ErrorKind::kStorage, 13, "database or disk is full");
    }
    if (refused_.count(row.tag)) {
      ++ended_;
      return Status(ErrorKind::kRefused, kErrUniqueIndex, "duplicate");
    }
    saved.push_back(row.tag);
    if (++open_ == commit_every_) {
      ended_ += open_;
      open_ = 0;
    }
    return Status::Ok();
  }
  std::size_t OpenRows() const override { return open_; }

  std::atomic<std::uint64_t> handed_in{0};  // counted by the caller before each row
  Tags saved;
  std::set<std::thread::id> threads;
  std::uint64_t max_ahead = 0;
  std::vector<std::size_t> batch_sizes;  // the rows of each batch, as the saver got them

 private:
  const std::size_t commit_every_;
  const std::set<std::uint64_t> refused_;
  const std::uint64_t fails_at_;
  std::size_t open_ = 0;
  std::uint64_t ended_ = 0;
};

class SaveThreadTest : public ::testing::Test {
 protected:
  // Hands rows first..last in, tagged with their numbers; `refused_now` are refused while
  // converted, as a value that does not fit is.
  void HandIn(SaveThread& thread, ListSaver& saver, std::uint64_t first, std::uint64_t last,
              const std::set<std::uint64_t>& refused_now = {}) {
    for (std::uint64_t n = first; n <= last; ++n) {
      ++saver.handed_in;
      const Value value = Value::Integer(static_cast<std::int64_t>(n));
      thread.filling().BeginRow(n, plan_);
      if (refused_now.count(n)) {
        thread.filling().Refuse(Status(ErrorKind::kRefused, kErrTruncation, "too long"));
      } else {
        ASSERT_TRUE(thread.filling().AppendRow({&value}));
      }
      thread.RowDone();
    }
  }

  static Tags TagsOf(const std::vector<LateRefusal>& refusals) {
    Tags tags;
    for (const LateRefusal& refusal : refusals) tags.push_back(refusal.tag);
    return tags;
  }
  static Tags Range(std::uint64_t first, std::uint64_t last) {
    Tags tags;
    for (std::uint64_t n = first; n <= last; ++n) tags.push_back(n);
    return tags;
  }

  SavePlan& plan_ = Plan({"int"});
};

TEST_F(SaveThreadTest, RowsAreSavedInOrderOnAThreadOfTheirOwn) {
  ListSaver saver(100);
  SaveThread thread(saver, 100);
  HandIn(thread, saver, 1, 1000);
  std::vector<LateRefusal> refusals;
  EXPECT_EQ(thread.TakeRefusals(refusals, /*wait=*/true), 1000u);
  EXPECT_TRUE(refusals.empty());
  EXPECT_EQ(saver.saved, Range(1, 1000));
  EXPECT_EQ(saver.threads.size(), 1u);
  EXPECT_EQ(saver.threads.count(std::this_thread::get_id()), 0u);
}

TEST_F(SaveThreadTest, RefusalsComeBackInTheOrderOfTheRowsWhereverTheyArose) {
  ListSaver saver(50, {3, 300, 301});
  SaveThread thread(saver, 50);
  HandIn(thread, saver, 1, 600, /*refused_now=*/{2, 299, 600});
  std::vector<LateRefusal> refusals;
  EXPECT_EQ(thread.TakeRefusals(refusals, /*wait=*/true), 600u);
  EXPECT_EQ(TagsOf(refusals), (Tags{2, 3, 299, 300, 301, 600}));
  EXPECT_EQ(refusals[0].status.number(), kErrTruncation);
  EXPECT_EQ(refusals[1].status.number(), kErrUniqueIndex);
  EXPECT_EQ(saver.saved.size(), 594u);
  refusals.clear();
  EXPECT_EQ(thread.TakeRefusals(refusals, /*wait=*/true), 600u);
  EXPECT_TRUE(refusals.empty());  // each refusal is taken once
}

TEST_F(SaveThreadTest, NoMoreRowsAreReadAheadThanAGroupOfSavesHolds) {
  // Without the bound, four queued batches of 256 rows would run far ahead of a group of 300.
  ListSaver saver(300);
  SaveThread thread(saver, 300);
  HandIn(thread, saver, 1, 5000);
  std::vector<LateRefusal> refusals;
  EXPECT_EQ(thread.TakeRefusals(refusals, /*wait=*/true), 5000u);
  EXPECT_EQ(saver.saved, Range(1, 5000));
  EXPECT_LE(saver.max_ahead, 300u);
  EXPECT_GE(saver.max_ahead, 2u);  // the caller did read ahead
}

// Waits, without draining, until every row through `last` has been saved or refused.
void WaitUntilSettled(SaveThread& thread, std::uint64_t last) {
  std::vector<LateRefusal> refusals;
  for (int i = 0; i < 10'000 && thread.TakeRefusals(refusals, /*wait=*/false) < last; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(thread.TakeRefusals(refusals, /*wait=*/false), last);
}

TEST_F(SaveThreadTest, AfterACommitTheFirstRowsGoWithoutWaitingForAFullBatch) {
  ListSaver saver(300);
  SaveThread thread(saver, 300);
  HandIn(thread, saver, 1, 300);  // a full batch, then the rest of the group at the limit
  WaitUntilSettled(thread, 300);
  // The group is committed and the saving thread has nothing: a few rows are enough to go.
  HandIn(thread, saver, 301, 316);
  WaitUntilSettled(thread, 316);
  // With rows of the group open, batches are full again.
  HandIn(thread, saver, 317, 572);
  WaitUntilSettled(thread, 572);
  EXPECT_EQ(saver.batch_sizes, (std::vector<std::size_t>{256, 44, 16, 256}));
  std::vector<LateRefusal> refusals;
  EXPECT_EQ(thread.TakeRefusals(refusals, /*wait=*/true), 572u);
  EXPECT_EQ(saver.saved, Range(1, 572));
}

TEST_F(SaveThreadTest, AStorageFailureEndsTheSavingUntilTheRowsAreDrained) {
  ListSaver saver(1000, {}, /*storage_fails_at=*/700);
  SaveThread thread(saver, 1000);
  HandIn(thread, saver, 1, 1500, /*refused_now=*/{900});
  std::vector<LateRefusal> refusals;
  EXPECT_EQ(thread.TakeRefusals(refusals, /*wait=*/true), 1500u);
  // The failing row is listed; the rows after it are neither saved nor listed.
  EXPECT_EQ(TagsOf(refusals), (Tags{700}));
  EXPECT_EQ(refusals[0].status.kind(), ErrorKind::kStorage);
  EXPECT_EQ(saver.saved, Range(1, 699));

  // Rows handed in after the drain are tried again.
  HandIn(thread, saver, 1501, 1510);
  refusals.clear();
  EXPECT_EQ(thread.TakeRefusals(refusals, /*wait=*/true), 1510u);
  EXPECT_TRUE(refusals.empty());
  EXPECT_EQ(saver.saved.back(), 1510u);
}

TEST_F(SaveThreadTest, RowsHandedInAreSavedWhenTheThreadIsDestroyed) {
  ListSaver saver(1000);
  {
    SaveThread thread(saver, 1000);
    HandIn(thread, saver, 1, 10);  // less than a batch: nothing handed over yet
  }
  EXPECT_EQ(saver.saved, Range(1, 10));
}

}  // namespace
}  // namespace zuna::sql
