#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/recordset/recordset.h"
#include "platform/sql/row_batch.h"
#include "platform/sql/save_thread.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zuna::sql::sqlite {

// How the embedded engine groups the import's row saves into transactions. A group is committed
// after `rows_per_commit` rows or `max_commit_delay`, whichever comes first, and whenever the
// table is closed or another statement runs: a crash loses at most that many rows or seconds.
// A COMMIT that finds the file held by a reader waits `busy_timeout` for it, `commit_attempts`
// times, before the group is given up. With `background_saves`, a caller that asks for it
// (Connection::StartBackgroundSaves) has its rows saved on a thread of their own.
struct SqliteOptions {
  std::size_t rows_per_commit = 10'000;
  std::chrono::milliseconds max_commit_delay{1000};
  std::chrono::milliseconds busy_timeout{5000};
  int commit_attempts = 6;
  bool background_saves = true;

  bool operator==(const SqliteOptions&) const = default;
};

// The statement that saves rows into one table's assigned columns, prepared by the thread that
// first saves with it.
struct SqlitePlan final : SavePlan {
  struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const;
  };
  std::unique_ptr<sqlite3_stmt, Finalizer> statement;
};

// The saves of one database in groups of one transaction each (SqliteOptions). A group that
// cannot be committed, or that the engine rolls back when a save fails, is lost whole: its
// rows, which had been saved, come back from TakeLateRefusals with the engine's error, and the
// next row starts a fresh group. Used by one thread at a time: the caller's, or the one that
// saves in the background.
class SaveGroups final : public SaveThread::Saver {
 public:
  explicit SaveGroups(const SqliteOptions& options) : options_(options) {}
  SaveGroups(const SaveGroups&) = delete;
  SaveGroups& operator=(const SaveGroups&) = delete;

  // The database the groups are saved into; the open group must have been flushed.
  void set_database(sqlite3* db) { db_ = db; }

  // Saves the row with its plan's statement in the open group (beginning one when none is
  // open) and commits the group when it is full or old. Returns the row's own outcome: Ok, its
  // refusal, or the failure of the commit it went down with; the rest of a lost group comes
  // from TakeLateRefusals.
  Status SaveRow(const RowBatch& batch, std::size_t index) override;
  std::size_t OpenRows() const override { return in_group_ ? rows_in_group_ : 0; }

  // Commits the open group; when that fails, the group is lost.
  Status Flush();
  std::vector<recordset::LateRefusal> TakeLateRefusals();
  // No group open, no rollback owed, every lost row taken.
  bool Settled() const { return !in_group_ && !rollback_pending_ && late_.empty(); }

 private:
  Result<sqlite3_stmt*> Statement(SqlitePlan& plan);
  Status Bind(sqlite3_stmt* stmt, const RowBatch& batch, const RowBatch::Row& row);
  Status BeginGroupIfNeeded();
  // COMMIT, tried again while the file is locked.
  Status Commit();
  // Ends a group that can no longer be committed: rolls back what the engine left open and
  // lists the group's rows as refused with `cause`.
  void LoseGroup(const Status& cause);

  const SqliteOptions options_;
  sqlite3* db_ = nullptr;
  bool in_group_ = false;
  bool rollback_pending_ = false;  // a lost group's ROLLBACK failed: retried before the next
  std::size_t rows_in_group_ = 0;
  std::vector<std::uint64_t> group_tags_;  // the rows saved in the open group
  std::vector<recordset::LateRefusal> late_;
  std::chrono::steady_clock::time_point group_started_;
};

}  // namespace zuna::sql::sqlite
