#include "platform/sql/sqlite/save_groups.h"

#include <sqlite3.h>

#include <utility>

#include "platform/sql/dialect/server_dialect.h"
#include "platform/sql/sqlite/sqlite_errors.h"

namespace zuna::sql::sqlite {
namespace {

constexpr std::size_t kClockCheckEvery = 256;

}  // namespace

void SqlitePlan::Finalizer::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

Result<sqlite3_stmt*> SaveGroups::Statement(SqlitePlan& plan) {
  if (plan.statement) return plan.statement.get();
  std::vector<std::string_view> names(plan.names.begin(), plan.names.end());
  const std::string sql = dialect::ServerDialect::Sqlite().InsertText(plan.table, names);
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(raw);
    return EngineError(db_, rc, plan.table);
  }
  plan.statement.reset(raw);
  return raw;
}

Status SaveGroups::Bind(sqlite3_stmt* stmt, const RowBatch& batch, const RowBatch::Row& row) {
  for (std::uint32_t i = 0; i < row.count; ++i) {
    const BoundValue& value = batch.value(row, i);
    const int slot = static_cast<int>(i + 1);
    int rc = SQLITE_OK;
    switch (value.kind) {
      case BoundValue::Kind::kNull:
        rc = sqlite3_bind_null(stmt, slot);
        break;
      case BoundValue::Kind::kInteger:
        rc = sqlite3_bind_int64(stmt, slot, value.integer);
        break;
      case BoundValue::Kind::kDouble:
        rc = sqlite3_bind_double(stmt, slot, value.number);
        break;
      case BoundValue::Kind::kText: {
        // The batch outlives the step: the bytes are lent, not copied.
        const std::string_view text = batch.bytes(value);
        rc = sqlite3_bind_text(stmt, slot, text.data(), static_cast<int>(text.size()),
                               SQLITE_STATIC);
        break;
      }
      case BoundValue::Kind::kBlob: {
        const std::string_view bytes = batch.bytes(value);
        rc = sqlite3_bind_blob(stmt, slot, bytes.data(), static_cast<int>(bytes.size()),
                               SQLITE_STATIC);
        break;
      }
    }
    // A value the engine does not take (longer than it stores) leaves a null bound in its
    // place: the row is refused rather than saved without it.
    if (rc != SQLITE_OK) {
      return EngineError(db_, rc, row.plan->table).WithContext("column " + row.plan->names[i]);
    }
  }
  return Status::Ok();
}

Status SaveGroups::BeginGroupIfNeeded() {
  if (in_group_) return Status::Ok();
  if (rollback_pending_) {
    if (const int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        rc != SQLITE_OK && !sqlite3_get_autocommit(db_)) {
      return EngineError(db_, rc);
    }
    rollback_pending_ = false;
  }
  if (const int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr); rc != SQLITE_OK) {
    return EngineError(db_, rc);
  }
  in_group_ = true;
  rows_in_group_ = 0;
  group_tags_.clear();
  group_started_ = std::chrono::steady_clock::now();
  return Status::Ok();
}

Status SaveGroups::SaveRow(const RowBatch& batch, std::size_t index) {
  const RowBatch::Row& row = batch.row(index);
  auto& plan = static_cast<SqlitePlan&>(*row.plan);
  ASSIGN_OR_RETURN(sqlite3_stmt * stmt, Statement(plan));
  RETURN_IF_ERROR(BeginGroupIfNeeded());
  Status result = Bind(stmt, batch, row);
  if (result.ok()) {
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) result = EngineError(db_, rc, plan.table);
  }
  sqlite3_reset(stmt);
  if (result.ok()) {
    group_tags_.push_back(row.tag);
  } else if (sqlite3_get_autocommit(db_)) {
    // The engine rolled the whole transaction back (a full disk, an I/O error), not only this
    // statement: the rows saved before it in the group are gone too.
    LoseGroup(result);
    return result;
  }

  ++rows_in_group_;
  if (rows_in_group_ >= options_.rows_per_commit ||
      (rows_in_group_ % kClockCheckEvery == 0 &&
       std::chrono::steady_clock::now() - group_started_ >= options_.max_commit_delay)) {
    if (Status committed = Flush(); !committed.ok() && result.ok()) {
      // This row went down with its group: it is refused here, the others late.
      if (!late_.empty() && late_.back().tag == row.tag) late_.pop_back();
      result = committed;
    }
  }
  return result;
}

Status SaveGroups::Commit() {
  for (int attempt = 1;; ++attempt) {
    const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return Status::Ok();
    // A reader holding the file keeps the transaction open and lets the COMMIT be tried again;
    // anything else is final.
    const bool locked = (sqlite3_extended_errcode(db_) & 0xff) == SQLITE_BUSY;
    if (!locked || attempt >= options_.commit_attempts || sqlite3_get_autocommit(db_)) {
      return EngineError(db_, rc);
    }
  }
}

void SaveGroups::LoseGroup(const Status& cause) {
  in_group_ = false;
  if (!sqlite3_get_autocommit(db_) &&
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK &&
      !sqlite3_get_autocommit(db_)) {
    rollback_pending_ = true;
  }
  const Status lost = cause.WithContext("its group of saves was rolled back");
  for (const std::uint64_t tag : group_tags_) late_.push_back({tag, lost});
  group_tags_.clear();
}

Status SaveGroups::Flush() {
  if (!in_group_ || db_ == nullptr) return Status::Ok();
  Status committed = Commit();
  if (!committed.ok()) {
    LoseGroup(committed);
    return committed;
  }
  in_group_ = false;
  group_tags_.clear();
  return Status::Ok();
}

std::vector<recordset::LateRefusal> SaveGroups::TakeLateRefusals() {
  return std::exchange(late_, {});
}

}  // namespace zuna::sql::sqlite
