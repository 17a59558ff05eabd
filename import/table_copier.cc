#include "import/table_copier.h"

#include <chrono>
#include <memory>
#include <span>
#include <vector>

#include "core/connection_texts.h"
#include "import/anomaly_logs.h"
#include "import/field_rules.h"
#include "import/pending_rows.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/dbf/table_reader.h"
#include "platform/operator/operator.h"
#include "platform/recordset/recordset.h"
#include "platform/sources/data_sources.h"
#include "platform/text/ascii.h"
#include "scripts/schema_commands.h"
#include "scripts/script_runner.h"

namespace zuna::transfer {
namespace {

// On a target that saves in the background, the rows whose saves have ended are settled (their
// outcomes counted and logged) after this many rows.
constexpr std::uint64_t kSettleEvery = 256;
// The rows a table's header must announce for its rows to be saved on a thread of their own.
constexpr std::uint64_t kBackgroundFromRows = 1024;

// One field operation with the column positions on both sides, resolved once per table: the
// names cannot change while a table is copied.
struct BoundOperation {
  const FieldOperation* op;
  int source = -1;
  int target = -1;
};

class Copier {
 public:
  Copier(const CatalogEntry& entry, ImportContext& context, TableReport& report,
         const Status& run_stopped_by)
      : entry_(entry), context_(context), report_(report), run_stopped_by_(run_stopped_by) {}

  void Run();

 private:
  void SourceDidNotOpen(const Status& status);
  void RowLoop(const std::vector<BoundOperation>& operations);
  // The one place where the row loop yields: true when a stop was requested, so the loop ends
  // before the next row; every kRowsPerProgressCall rows it tells the observer how far it got.
  // On a target that saves in the background, the rows whose saves have ended are settled here.
  bool StopBeforeNextRow();
  void ReportRowsDone() const;
  // Takes the outcomes of the rows the target saved in the background; with `wait`, of all.
  void SettleSaves(bool wait);
  // A row's save ended with `status` (Ok: saved).
  void RowEnded(std::uint64_t row, const Status& status);
  // True when `row` comes after the row whose save found the storage failing.
  bool AfterStop(std::uint64_t row) const {
    return !report_.stopped_by.ok() && row > stopped_at_row_;
  }
  void CountLateRefusals();
  // Ends the saving at `row` when `status` is a failure of the database's storage.
  void StopOnStorageFailure(const Status& status, std::uint64_t row);
  void CountRowsAfterStop();
  // Assigns the row's fields and saves it: through the appender when the table has one, else
  // with AddNew, SetBorrowed and UpdateTagged. Returns what the save returned.
  Status SaveRow(const std::vector<BoundOperation>& operations, std::uint64_t row);
  // A field operation's outcome for the current row: the value to assign (the source's, or one
  // made in the operation's scratch value), and whether it writes an anomaly-log line.
  struct Resolved {
    const Value* source = nullptr;
    const Value* assigned = nullptr;  // null: nothing to assign
    bool log = false;
  };
  // Reads the operation's source value and applies its rule. A value that cannot be read is a
  // lost field.
  Resolved Resolve(const BoundOperation& bound, std::span<const Value> row_values,
                   std::uint64_t row, Value& scratch);
  void FieldLost(const FieldOperation& op, std::uint64_t row, const Status& status);
  void WriteLogLine(const FieldOperation& op, const Value& value, std::uint64_t row);
  std::string SourceText(int index);
  void Skip(std::string_view step, const Status& status) {
    context_.skips.StepFailed(entry_.table, step, status);
  }

  const CatalogEntry& entry_;
  ImportContext& context_;
  TableReport& report_;
  const Status& run_stopped_by_;
  std::unique_ptr<recordset::Recordset> target_;
  std::unique_ptr<recordset::Recordset> source_;
  Status target_failure_;
  std::uint64_t stopped_at_row_ = 0;
  std::uint64_t rows_after_stop_ = 0;
  std::vector<int> log_columns_;  // the source columns a log line is made of
  std::vector<Value> scratch_;    // one per field operation, lent to the target until saved
  // The thin path of a table whose assigned columns are the same for every row: the appender,
  // the place of each operation's value in a row (-1: not appended), and the row's values.
  std::unique_ptr<recordset::RowAppender> appender_;
  std::vector<int> slots_;
  std::vector<const Value*> row_values_;
  bool background_ = false;  // the target saves on a thread of its own
  PendingRows pending_;
  const PendingRows::Outcome row_ended_ = [this](std::uint64_t row, const Status& status) {
    RowEnded(row, status);
  };
  std::vector<recordset::LateRefusal> save_refusals_;
  std::uint64_t rows_since_settle_ = 0;
  std::uint64_t header_rows_ = 0;       // what the source's header announces, for progress
  std::uint64_t rows_to_progress_ = 0;  // rows until the next RowsDone
};

void Copier::Run() {
  if (entry_.log != AnomalyLog::kNone) {
    const std::string_view name =
        entry_.log == AnomalyLog::kPersonnel ? kPersonnelLogName : kPaybillLogName;
    if (Status opened = context_.log.Open(context_.program_folder, name); !opened.ok()) {
      Skip(name, opened);
    }
  }

  if (!run_stopped_by_.ok()) {
    target_failure_ = run_stopped_by_;
    report_.stopped_by = run_stopped_by_;
  } else if (auto target = context_.sources.OpenRecordset(entry_.select_text, core::kPayConnection);
             target.ok()) {
    target_ = std::move(target).value();
  } else {
    target_failure_ = target.status().WithContext("the target did not open");
    if (target.status().kind() == ErrorKind::kStorage) report_.stopped_by = target.status();
  }
  auto source = context_.sources.OpenRecordset(entry_.select_text, core::kFoxPayConnection);
  if (!source.ok()) {
    SourceDidNotOpen(source.status());
  } else {
    source_ = std::move(source).value();
  }

  if (source_) {
    if (auto statistics = source_->Statistics()) header_rows_ = statistics->header_row_count;
    // A table of a few rows is saved on this thread: a saving thread would cost more to start
    // and wait for than its rows take.
    if (target_ && header_rows_ >= kBackgroundFromRows) background_ = target_->SaveInBackground();
    // Counted down before every row: the first call comes before row kRowsPerProgressCall + 1.
    rows_to_progress_ = kRowsPerProgressCall + 1;
    ReportRowsDone();
    const auto column = [this](std::string_view name) { return source_->FindField(name); };
    if (entry_.log == AnomalyLog::kPersonnel) {
      log_columns_ = {column("emp_code"), column("id_no")};
    } else if (entry_.log == AnomalyLog::kPaybill) {
      log_columns_ = {column("pay_mon"), column("pay_year"), column("dept_code"),
                      column("estb_code")};
    }
    if (entry_.column_walk) {
      // The walk runs the row loop once for each source column named ddo_code (blanks around
      // the name ignored, case kept); a source without one adds nothing.
      const FieldOperation& ddo_code = entry_.fields.front();
      for (int i = 0; i < source_->FieldCount(); ++i) {
        if (text::Trim(source_->FieldName(i)) != ddo_code.field) continue;
        BoundOperation bound{&ddo_code, i, target_ ? target_->FindField(ddo_code.field) : -1};
        RowLoop({bound});
      }
    } else {
      std::vector<BoundOperation> operations;
      for (const FieldOperation& op : entry_.fields) {
        operations.push_back(
            {&op, source_->FindField(op.field), target_ ? target_->FindField(op.field) : -1});
      }
      RowLoop(operations);
    }
  }

  CountRowsAfterStop();
  if (target_) {
    if (Status closed = target_->Close(); !closed.ok()) {
      Skip("close target", closed);
      StopOnStorageFailure(closed, report_.rows_read);
    }
    // Every batch has gone by now, and every lost group of saves; the refusals carry their
    // source rows.
    CountLateRefusals();
  }
  if (source_) {
    if (auto statistics = source_->Statistics()) {
      report_.deleted_skipped = statistics->deleted_skipped;
      report_.undecodable_fields = statistics->undecodable_fields;
      report_.header_rows = statistics->header_row_count;
      report_.rows_in_file = statistics->rows_in_file;
    }
    if (Status closed = source_->Close(); !closed.ok()) Skip("close source", closed);
  }
}

// Every row of a table that did not open is lost: as many as its header announces, or, when
// not even the header can be read, an unknown number, which the summary says as such.
void Copier::SourceDidNotOpen(const Status& status) {
  const auto announced =
      dbf::AnnouncedRowCount(dbf::FindTableFile(context_.data_folder, entry_.table));
  if (!announced) {
    report_.rows_unknown = true;
    Skip("open source", status.WithContext("an unknown number of rows not copied"));
    return;
  }
  report_.header_rows = *announced;
  report_.rows_refused += *announced;
  context_.skips.RowsLost(entry_.table, *announced,
                          status.WithContext("the table did not open; its header announces them"));
}

void Copier::RowLoop(const std::vector<BoundOperation>& operations) {
  std::uint64_t rows_without_target = 0;
  const std::uint64_t first_row = report_.rows_read;
  const std::uint64_t stopped_before = rows_after_stop_;
  scratch_.resize(operations.size());
  // The operations that assign a column (both sides have it) are appended row after row.
  std::vector<int> columns;
  slots_.assign(operations.size(), -1);
  for (std::size_t i = 0; i < operations.size(); ++i) {
    if (operations[i].source < 0 || operations[i].target < 0) continue;
    slots_[i] = static_cast<int>(columns.size());
    columns.push_back(operations[i].target);
  }
  appender_ = target_ ? target_->AppenderFor(columns) : nullptr;
  row_values_.assign(columns.size(), nullptr);
  while (!source_->Eof() && !StopBeforeNextRow()) {
    const std::uint64_t row = ++report_.rows_read;
    if (!target_) {
      ++rows_without_target;
    } else if (!report_.stopped_by.ok()) {
      ++rows_after_stop_;
    } else if (Status saved = SaveRow(operations, row); saved.ok() && background_) {
      pending_.Saving(row);
    } else {
      pending_.Ended(row, std::move(saved), row_ended_);
    }
    if (Status moved = source_->MoveNext(); !moved.ok()) {
      pending_.Run([this, moved] { Skip("read source", moved); });
    }
  }
  appender_.reset();
  // Every row handed over is saved or refused before the table's own lines follow; after a stop
  // request too: the rows in flight are settled here and committed when the target closes.
  SettleSaves(/*wait=*/true);
  if (rows_without_target > 0) {
    report_.rows_refused += rows_without_target;
    context_.skips.RowsLost(
        entry_.table, rows_without_target,
        target_failure_.WithContext("rows " + std::to_string(first_row + 1) + " to " +
                                    std::to_string(report_.rows_read)));
  }
  // A column one side lacks is one fact about the table, listed once with the count of the rows
  // that were tried (the rows after a stop are lost whole).
  const std::uint64_t rows = report_.rows_read - first_row - (rows_after_stop_ - stopped_before);
  if (!target_ || rows == 0) return;
  for (const BoundOperation& bound : operations) {
    if (bound.source >= 0 && bound.target >= 0) continue;
    report_.fields_unassigned += rows;
    context_.skips.ColumnMissing(entry_.table, bound.op->field, rows,
                                 recordset::ItemNotFound(bound.op->field)
                                     .WithContext(bound.source < 0 ? "source" : "target"));
  }
}

// Every row before this boundary has been read, assigned and handed to the target. The rows
// whose saves have ended meanwhile are settled here, so their lines reach the logs in order.
bool Copier::StopBeforeNextRow() {
  if (background_ && ++rows_since_settle_ >= kSettleEvery) SettleSaves(/*wait=*/false);
  if (--rows_to_progress_ == 0) {
    rows_to_progress_ = kRowsPerProgressCall;
    ReportRowsDone();
  }
  if (context_.stop == nullptr || !context_.stop->requested()) return false;
  report_.interrupted = true;
  return true;
}

void Copier::ReportRowsDone() const {
  if (context_.observer) context_.observer->RowsDone(entry_.table, report_.rows_read, header_rows_);
}

void Copier::SettleSaves(bool wait) {
  if (!background_) return;
  rows_since_settle_ = 0;
  save_refusals_.clear();
  const std::uint64_t settled = target_->TakeSaveRefusals(save_refusals_, wait);
  pending_.Settle(settled, save_refusals_, row_ended_);
}

void Copier::RowEnded(std::uint64_t row, const Status& status) {
  if (AfterStop(row)) {
    // Read and handed over before the stop was known; never tried, as after a stop.
    ++rows_after_stop_;
  } else if (status.ok()) {
    ++report_.rows_saved;
  } else {
    context_.skips.RowLost(entry_.table, row, status);
    ++report_.rows_refused;
    StopOnStorageFailure(status, row);
  }
}

void Copier::StopOnStorageFailure(const Status& status, std::uint64_t row) {
  if (status.kind() != ErrorKind::kStorage || !report_.stopped_by.ok()) return;
  report_.stopped_by = status;
  stopped_at_row_ = row;
}

// The rows read after the copy stopped: one line for all of them, not one per row.
void Copier::CountRowsAfterStop() {
  if (rows_after_stop_ == 0) return;
  const std::uint64_t last = report_.rows_read;
  const std::uint64_t first = last - rows_after_stop_ + 1;
  report_.rows_refused += rows_after_stop_;
  context_.skips.RowsLost(entry_.table, rows_after_stop_,
                          report_.stopped_by.WithContext(
                              "rows " + std::to_string(first) + " to " + std::to_string(last) +
                              ", not saved after row " + std::to_string(stopped_at_row_) +
                              " found the database unable to store rows"));
}

// Rows the target accepted and refused later, when it sent their batch: each was counted saved.
// The counts are read only once the table is done, so they are taken once, after Close.
void Copier::CountLateRefusals() {
  for (const recordset::LateRefusal& late : target_->TakeLateRefusals()) {
    --report_.rows_saved;
    ++report_.rows_refused;
    context_.skips.RowLost(entry_.table, late.tag, late.status);
  }
}

Status Copier::SaveRow(const std::vector<BoundOperation>& operations, std::uint64_t row) {
  if (!appender_) RETURN_IF_ERROR(target_->AddNew());
  // Where the source holds its row as values, they are read without a call per field.
  const std::span<const Value> row_values = source_->RowValues();
  bool complete = true;
  for (std::size_t i = 0; i < operations.size(); ++i) {
    const BoundOperation& bound = operations[i];
    const Resolved resolved = Resolve(bound, row_values, row, scratch_[i]);
    if (appender_ && slots_[i] >= 0) {
      row_values_[static_cast<std::size_t>(slots_[i])] = resolved.assigned;
      complete = complete && resolved.assigned != nullptr;
    } else if (resolved.assigned != nullptr && bound.target >= 0) {
      if (Status set = target_->SetBorrowed(bound.target, *resolved.assigned); !set.ok()) {
        FieldLost(*bound.op, row, set);
      }
    }
    if (resolved.log) WriteLogLine(*bound.op, *resolved.source, row);
  }
  if (!appender_) return target_->UpdateTagged(row);
  if (complete) return appender_->Append(row, row_values_);
  // A lost field leaves its column to the table's default: this row names fewer columns.
  RETURN_IF_ERROR(target_->AddNew());
  for (std::size_t i = 0; i < operations.size(); ++i) {
    const int slot = slots_[i];
    if (slot < 0 || row_values_[static_cast<std::size_t>(slot)] == nullptr) continue;
    const Value& value = *row_values_[static_cast<std::size_t>(slot)];
    if (Status set = target_->SetBorrowed(operations[i].target, value); !set.ok()) {
      FieldLost(*operations[i].op, row, set);
    }
  }
  return target_->UpdateTagged(row);
}

void Copier::FieldLost(const FieldOperation& op, std::uint64_t row, const Status& status) {
  pending_.Run([this, row, &op, status] {
    if (AfterStop(row)) return;  // a row after a stop was never tried
    ++report_.fields_unassigned;
    context_.skips.FieldLost(entry_.table, row, op.field, status);
  });
}

Copier::Resolved Copier::Resolve(const BoundOperation& bound, std::span<const Value> row_values,
                                 std::uint64_t row, Value& scratch) {
  const FieldOperation& op = *bound.op;
  if (bound.source < 0) return {};  // counted once for the table after the row loop
  const Value* read = nullptr;
  if (!row_values.empty()) {
    read = &row_values[static_cast<std::size_t>(bound.source)];
  } else if (auto field = source_->Field(bound.source); field.ok()) {
    read = *field;
  } else {
    FieldLost(op, row, field.status());
    return {};
  }
  const RuleOutcome outcome = ApplyFieldRule(op, *read, scratch);
  return {read, outcome.assigned, outcome.log};
}

std::string Copier::SourceText(int index) {
  if (index < 0) return {};
  auto value = source_->Field(index);
  return value.ok() ? (*value)->ToText() : std::string();
}

void Copier::WriteLogLine(const FieldOperation& op, const Value& value, std::uint64_t row) {
  const auto& p = log_columns_;
  const std::string line =
      entry_.log == AnomalyLog::kPersonnel
          ? PersonnelLogLine(SourceText(p[0]), SourceText(p[1]), op.field, value.ToText())
          : PaybillLogLine(SourceText(p[0]), SourceText(p[1]), SourceText(p[2]), SourceText(p[3]),
                           op.field, value.ToText());
  pending_.Run([this, row, line] {
    if (AfterStop(row)) return;
    if (Status written = context_.log.WriteLine(line); !written.ok()) {
      context_.skips.StepFailed(entry_.table, context_.log.name(),
                                written.WithContext("row " + std::to_string(row)));
    }
  });
}

}  // namespace

TableReport CopyTable(const CatalogEntry& entry, ImportContext& context,
                      const Status& run_stopped_by) {
  const auto start = std::chrono::steady_clock::now();
  TableReport report;
  report.table = entry.table;
  if (dbf::FindTableFile(context.data_folder, entry.table).empty()) {
    if (!entry.master_data_script.empty() && !run_stopped_by.ok()) {
      report.outcome = TableReport::Outcome::kMasterDataScript;
      report.stopped_by = run_stopped_by;
      context.skips.StepFailed(entry.table, entry.master_data_script,
                               run_stopped_by.WithContext("not run"));
    } else if (!entry.master_data_script.empty()) {
      report.outcome = TableReport::Outcome::kMasterDataScript;
      const std::string connection =
          std::string(core::kDatabasePrefix) + std::string(text::Trim(context.server_name));
      if (Status ran = scripts::RunScriptFile(context.sources, connection, entry.master_data_script,
                                              scripts::GoLines::kSeparateBatches);
          !ran.ok()) {
        context.skips.StepFailed(entry.table, entry.master_data_script, ran);
      }
    } else {
      report.outcome = TableReport::Outcome::kMissing;
      context.op.ShowMessage(entry.not_found_message, MessageIcon::kInformation,
                             MessageTitle::kDefault);
    }
  } else {
    Copier(entry, context, report, run_stopped_by).Run();
  }
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return report;
}

}  // namespace zuna::transfer
