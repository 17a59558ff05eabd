#include "verify/table_sides.h"

#include <span>

#include "core/connection_texts.h"
#include "import/field_rules.h"
#include "platform/recordset/quoted_name.h"
#include "platform/sources/data_sources.h"
#include "platform/text/ascii.h"
#include "verify/canonical_view.h"

namespace zuna::verify {
namespace {

constexpr std::string_view kCountQuery = "select count(*) from ";

int FindColumn(const std::vector<sql::ColumnInfo>& columns, std::string_view name) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (text::EqualsIgnoringCase(columns[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

SourceSide::SourceSide(const transfer::CatalogEntry& entry, const sources::DataSources& sources,
                       const TableLog& log)
    : entry_(entry), sources_(sources), log_(log) {}

Result<TablePlan> SourceSide::Open(const std::vector<sql::ColumnInfo>& target_columns) {
  ASSIGN_OR_RETURN(recordset_, sources_.OpenRecordset(entry_.select_text, core::kFoxPayConnection));
  TablePlan plan;
  const auto add = [&](const transfer::FieldOperation& op, int source) {
    const int target = FindColumn(target_columns, op.field);
    if (source < 0 || target < 0) {
      plan.not_compared.push_back(op.field + (source < 0 ? " (the FoxPro table lacks it)"
                                                         : " (the target table lacks it)"));
      return;
    }
    plan.columns.push_back(
        {op.field, &op, target_columns[static_cast<std::size_t>(target)].type, source, {}});
  };
  if (entry_.column_walk) {
    // The import walks the columns and copies the rows at the first one named ddo_code (blanks
    // around the name ignored); after that the source is at its end, so a second such column
    // adds nothing, and a source without one adds no rows at all.
    const transfer::FieldOperation& ddo_code = entry_.fields.front();
    plan.adds_rows = false;
    for (int i = 0; i < recordset_->FieldCount(); ++i) {
      if (text::Trim(recordset_->FieldName(i)) != ddo_code.field) continue;
      plan.adds_rows = true;
      add(ddo_code, i);
      break;
    }
    return plan;
  }
  for (const transfer::FieldOperation& op : entry_.fields) add(op, recordset_->FindField(op.field));

  if (entry_.table == transfer::kInstallationTable && !log_.StepFailed(transfer::kMarkedField) &&
      !log_.StepFailed(transfer::kCountStep)) {
    // The installation step counts the FoxPro table as the import did and marks the target.
    ASSIGN_OR_RETURN(auto count, sources_.OpenRecordset(std::string(kCountQuery) + entry_.table,
                                                        core::kFoxPayConnection));
    ASSIGN_OR_RETURN(const Value* rows, count->Field(0));
    if (static_cast<std::int64_t>(rows->AsDouble()) < transfer::kMarkBelow) {
      for (ComparedColumn& column : plan.columns) {
        if (column.name == transfer::kMarkedField) column.fixed_value = transfer::kMarkedValue;
      }
    }
  }
  return plan;
}

Result<bool> SourceSide::Next() {
  if (started_) RETURN_IF_ERROR(recordset_->MoveNext());
  started_ = true;
  if (recordset_->Eof()) return false;
  ++row_;
  row_values_ = recordset_->RowValues();
  return true;
}

CanonicalState SourceSide::AppendExpected(const ComparedColumn& column, std::string& out) {
  // A field the import lists as not assigned holds the column's default: null, as the delivered
  // tables declare no defaults.
  if (!log_.lost_fields.empty() && log_.FieldLost(row_, column.name)) return CanonicalState::kNull;
  if (column.fixed_value) {
    scratch_.SetText(*column.fixed_value);
    return AppendCanonical(scratch_, column.type, out);
  }
  // Where the FoxPro reader holds the row as values (every field of it readable), they are taken
  // from there, as the import takes them, without a call per field.
  if (static_cast<std::size_t>(column.source) < row_values_.size()) {
    const transfer::RuleOutcome outcome = transfer::ApplyFieldRule(
        *column.op, row_values_[static_cast<std::size_t>(column.source)], scratch_);
    return AppendCanonical(*outcome.assigned, column.type, out);
  }
  auto read = recordset_->Field(column.source);
  if (!read.ok()) {
    out += read.status().ToString();
    return CanonicalState::kUnreadable;
  }
  const transfer::RuleOutcome outcome = transfer::ApplyFieldRule(*column.op, **read, scratch_);
  return AppendCanonical(*outcome.assigned, column.type, out);
}

RowHash SourceSide::Hash(const TablePlan& plan) {
  hasher_.Clear();
  for (const ComparedColumn& column : plan.columns) {
    std::string& buffer = hasher_.Begin();
    hasher_.End(AppendExpected(column, buffer));
  }
  return hasher_.Finish();
}

std::vector<CanonicalValue> SourceSide::Values(const TablePlan& plan) {
  std::vector<CanonicalValue> values(plan.columns.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i].state = AppendExpected(plan.columns[i], values[i].text);
  }
  return values;
}

Status SourceSide::Close() { return recordset_ ? recordset_->Close() : Status::Ok(); }

Status TargetSide::Open(std::string_view table, const TablePlan& plan) {
  ASSIGN_OR_RETURN(cursor_, connection_->Query("select * from " + recordset::BracketName(table)));
  indexes_.clear();
  column_kinds_.clear();
  for (const ComparedColumn& column : plan.columns) {
    const int index = FindColumn(cursor_->columns(), column.name);
    if (index < 0) return Status(ErrorKind::kNotFound, 0, "the target lost column " + column.name);
    indexes_.push_back(index);
    column_kinds_.push_back(cursor_->columns()[static_cast<std::size_t>(index)].type.kind);
  }
  row_ = 0;
  return Status::Ok();
}

Result<bool> TargetSide::Next() {
  ASSIGN_OR_RETURN(const bool more, cursor_->NextView());
  if (!more) return false;
  ++row_;
  cursor_->Views(indexes_, views_);
  return true;
}

// The columns are read as the cursor lends them: a text goes from the database's buffer into the
// hash without a copy in between.
CanonicalState TargetSide::AppendStored(const TablePlan& plan, std::size_t i, std::string& out) {
  return AppendStoredView(views_[i], column_kinds_[i], plan.columns[i].type, out, scratch_);
}

RowHash TargetSide::Hash(const TablePlan& plan) {
  hasher_.Clear();
  for (std::size_t i = 0; i < indexes_.size(); ++i) {
    std::string& buffer = hasher_.Begin();
    hasher_.End(AppendStored(plan, i, buffer));
  }
  return hasher_.Finish();
}

std::vector<CanonicalValue> TargetSide::Values(const TablePlan& plan) {
  std::vector<CanonicalValue> values(indexes_.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i].state = AppendStored(plan, i, values[i].text);
  }
  return values;
}

}  // namespace zuna::verify
