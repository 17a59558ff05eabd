#include "platform/sql/row_batch.h"

#include <limits>
#include <utility>

#include "platform/sql/date_text.h"

namespace zuna::sql {
namespace {

constexpr long kErrValueTooLong = 7119;  // SQL Server: a value beyond 2 GB
// The most bytes a value may hold: what a bind takes.
constexpr std::size_t kMaxBytes =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

bool IsDateColumn(const ColumnType& type) {
  return type.kind == ColumnType::Kind::kDate || type.kind == ColumnType::Kind::kDateTime;
}

Status TooLong(std::string_view column) {
  return Status(ErrorKind::kRefused, kErrValueTooLong,
                "The value of column '" + std::string(column) + "' is longer than 2 GB.");
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
  // The import's common cases first, each decided by the value's kind and the column's type
  // alone: they go in as they are (StoresUnchanged), or a date in its column's range is written
  // once, in the form the column stores.
  using Kind = ColumnType::Kind;
  switch (value.kind()) {
    case ValueKind::kNull:
      values_.emplace_back();
      ++rows_.back().count;
      return Status::Ok();
    case ValueKind::kText:
      if (StoresUnchanged(value, type)) {
        return AppendBytes(BoundValue::Kind::kText, value.text(), column);
      }
      break;
    case ValueKind::kInteger:
      if (StoresUnchanged(value, type)) {
        BoundValue& bound = values_.emplace_back();
        bound.kind = BoundValue::Kind::kInteger;
        bound.integer = value.integer();
        ++rows_.back().count;
        return Status::Ok();
      }
      break;
    case ValueKind::kDate:
    case ValueKind::kDateTime:
      if (IsDateColumn(type) && value.date().year >= type.min_year &&
          value.date().year <= type.max_year) {
        AppendStoredText(value, type.kind == Kind::kDate);
        ++rows_.back().count;
        return Status::Ok();
      }
      break;
    default:
      break;
  }
  if (type.kind == Kind::kOther) {
    AddBound(value);
  } else {
    RETURN_IF_ERROR(ConvertForColumn(value, type, column, scratch_));
    AddBound(scratch_);
  }
  const BoundValue& added = values_.back();
  if ((added.kind == BoundValue::Kind::kText || added.kind == BoundValue::Kind::kBlob) &&
      added.size > kMaxBytes) {
    return TooLong(column);
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

Status RowBatch::AppendBytes(BoundValue::Kind kind, std::string_view bytes,
                             std::string_view column) {
  if (bytes.size() > kMaxBytes) return TooLong(column);
  AddBytes(kind, bytes);
  ++rows_.back().count;
  return Status::Ok();
}

void RowBatch::AddBytes(BoundValue::Kind kind, std::string_view bytes) {
  BoundValue& bound = values_.emplace_back();
  bound.kind = kind;
  bound.offset = text_.size();
  // Longer than a bind takes: Append refuses it; the size only has to say so.
  bound.size = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), kMaxBytes + 1));
  text_.append(bytes.data(), bound.size);
}

void RowBatch::AppendStoredText(const Value& date, bool date_only) {
  BoundValue& bound = values_.emplace_back();
  bound.kind = BoundValue::Kind::kText;
  bound.offset = text_.size();
  if (date_only) {
    AppendStoredDate(text_, date.date());
  } else {
    AppendStoredDateTime(text_, date.date(), date.time());
  }
  bound.size = static_cast<std::uint32_t>(text_.size() - bound.offset);
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
    case ValueKind::kDateTime:
      return AppendStoredText(value, value.kind() == ValueKind::kDate);
  }
}

}  // namespace zuna::sql
