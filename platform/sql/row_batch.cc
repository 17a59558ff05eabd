#include "platform/sql/row_batch.h"

#include <limits>
#include <utility>

#include "platform/sql/date_text.h"

namespace zuna::sql {
namespace {

constexpr long kErrValueTooLong = 7119;  // SQL Server: a value beyond 2 GB

bool IsDateColumn(const ColumnType& type) {
  return type.kind == ColumnType::Kind::kDate || type.kind == ColumnType::Kind::kDateTime;
}

}  // namespace

void RowBatch::BeginRow(std::uint64_t tag, SavePlan& plan) {
  Row row;
  row.tag = tag;
  row.plan = &plan;
  row.first = static_cast<std::uint32_t>(values_.size());
  rows_.push_back(row);
}

Status RowBatch::Append(const Value& value, const ColumnType& type, std::string_view column) {
  if (StoresUnchanged(value, type)) {
    AddBound(value);
  } else if (IsDateColumn(type) &&
             (value.kind() == ValueKind::kDate || value.kind() == ValueKind::kDateTime) &&
             value.date().year >= type.min_year && value.date().year <= type.max_year) {
    // A date in its column's range is written once, in the form the column stores.
    BoundValue& bound = values_.emplace_back();
    std::string& text = TextForAppend(bound);
    if (type.kind == ColumnType::Kind::kDate) {
      AppendStoredDate(text, value.date());
    } else {
      AppendStoredDateTime(text, value.date(), value.time());
    }
    bound.size = static_cast<std::uint32_t>(text.size() - bound.offset);
  } else {
    RETURN_IF_ERROR(ConvertForColumn(value, type, column, scratch_));
    AddBound(scratch_);
  }
  const std::size_t bytes = values_.back().kind == BoundValue::Kind::kText ||
                                    values_.back().kind == BoundValue::Kind::kBlob
                                ? values_.back().size
                                : 0;
  if (bytes > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return Status(ErrorKind::kRefused, kErrValueTooLong,
                  "The value of column '" + std::string(column) + "' is longer than 2 GB.");
  }
  ++rows_.back().count;
  return Status::Ok();
}

bool RowBatch::AppendRow(const std::vector<const Value*>& values) {
  const SavePlan& plan = *rows_.back().plan;
  for (std::size_t i = 0; i < plan.assigned.size(); ++i) {
    const auto column = static_cast<std::size_t>(plan.assigned[i]);
    if (Status appended = Append(*values[column], plan.types[i], plan.names[i]); !appended.ok()) {
      Refuse(std::move(appended));
      return false;
    }
  }
  return true;
}

void RowBatch::Refuse(Status status) {
  Row& row = rows_.back();
  values_.resize(row.first);
  row.count = 0;
  row.refusal = static_cast<std::int32_t>(refusals_.size());
  refusals_.push_back(std::move(status));
}

void RowBatch::Clear() {
  rows_.clear();
  values_.clear();
  text_.clear();
  refusals_.clear();
}

std::string& RowBatch::TextForAppend(BoundValue& value) {
  value.kind = BoundValue::Kind::kText;
  value.offset = text_.size();
  return text_;
}

void RowBatch::AddBytes(BoundValue::Kind kind, std::string_view bytes) {
  BoundValue& bound = values_.emplace_back();
  bound.kind = kind;
  bound.offset = text_.size();
  // Longer than a bind takes: Append refuses it; the size only has to say so.
  bound.size = static_cast<std::uint32_t>(
      std::min<std::size_t>(bytes.size(), std::numeric_limits<std::uint32_t>::max()));
  text_.append(bytes.data(), bound.size);
}

// The value as the engine is given it: texts and bytes as they are, booleans as integers,
// decimals as doubles, and a date passed to a column of no date type as its stored text.
void RowBatch::AddBound(const Value& value) {
  switch (value.kind()) {
    case ValueKind::kNull:
      values_.emplace_back();
      return;
    case ValueKind::kText:
      return AddBytes(BoundValue::Kind::kText, value.text());
    case ValueKind::kBinary:
      return AddBytes(BoundValue::Kind::kBlob, value.text());
    case ValueKind::kInteger:
    case ValueKind::kBoolean: {
      BoundValue& bound = values_.emplace_back();
      bound.kind = BoundValue::Kind::kInteger;
      bound.integer = value.integer();
      return;
    }
    case ValueKind::kDouble:
    case ValueKind::kDecimal: {
      BoundValue& bound = values_.emplace_back();
      bound.kind = BoundValue::Kind::kDouble;
      bound.number = value.AsDouble();
      return;
    }
    case ValueKind::kDate:
    case ValueKind::kDateTime: {
      BoundValue& bound = values_.emplace_back();
      std::string& text = TextForAppend(bound);
      if (value.kind() == ValueKind::kDate) {
        AppendStoredDate(text, value.date());
      } else {
        AppendStoredDateTime(text, value.date(), value.time());
      }
      bound.size = static_cast<std::uint32_t>(text.size() - bound.offset);
      return;
    }
  }
}

}  // namespace zuna::sql
