#include "platform/sql/sql_recordset.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/recordset/simple_select.h"
#include "platform/sql/statement.h"
#include "platform/text/ascii.h"

namespace zuna::sql {
namespace {

// An appender given as many values as it has columns is a caller's bug; ADO's number for a
// wrong argument.
constexpr long kErrAppendedValues = 3001;

using recordset::ItemNotFound;
using recordset::LateRefusal;
using recordset::NoCurrentRecord;
using recordset::NotUpdatable;
using recordset::ObjectClosed;
using recordset::ParseSimpleSelect;
using recordset::ReadOnlyRecordset;
using recordset::Recordset;
using recordset::RowAppender;
using recordset::SimpleSelect;

// Column lookup by name without case, as SQL Server compares names; no allocation per lookup.
class ColumnIndex {
 public:
  void Build(const std::vector<ColumnInfo>& columns) {
    index_.clear();
    names_.clear();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      index_.emplace(columns[i].name, static_cast<int>(i));
      names_.push_back(columns[i].name);
    }
  }
  int Find(std::string_view name) const {
    // Callers walk the columns in table order, row after row: try the one after the last hit,
    // first as written (the usual case), then without case.
    if (next_ < names_.size() && (names_[next_] == name || Equal()(names_[next_], name))) {
      return static_cast<int>(next_++);
    }
    const auto it = index_.find(name);
    if (it == index_.end()) return -1;
    next_ = static_cast<std::size_t>(it->second) + 1;
    return it->second;
  }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const {
      std::size_t h = 1469598103934665603ull;
      for (char c : s) h = (h ^ static_cast<unsigned char>(text::LowerAscii(c))) * 1099511628211ull;
      return h;
    }
  };
  struct Equal {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
      return text::EqualsIgnoringCase(a, b);
    }
  };
  std::unordered_map<std::string, int, Hash, Equal> index_;
  std::vector<std::string> names_;
  mutable std::size_t next_ = 0;
};

// Rows read forward from a cursor; the base of both recordset kinds below.
class ReadingRecordset : public Recordset {
 public:
  // The rows of `source`, queried on `connection` when a row is first asked for (a table opened
  // only to be added to reads nothing), unless a running cursor is handed over first.
  ReadingRecordset(std::shared_ptr<Connection> connection, std::vector<ColumnInfo> columns,
                   std::string source)
      : connection_(std::move(connection)),
        columns_(std::move(columns)),
        source_(std::move(source)) {
    index_.Build(columns_);
  }

  bool Eof() const override {
    // A failure to start shows as the end of the rows here and as the error on the next read.
    (void)EnsureStarted();
    return rows_.eof;
  }
  Status MoveNext() override {
    if (closed_) return ObjectClosed();
    RETURN_IF_ERROR(EnsureStarted());
    if (rows_.eof) return NoCurrentRecord();
    return Advance();
  }
  int FieldCount() const override { return closed_ ? 0 : static_cast<int>(columns_.size()); }
  std::string_view FieldName(int index) const override {
    if (index < 0 || index >= FieldCount()) return {};
    return columns_[static_cast<std::size_t>(index)].name;
  }
  int FindField(std::string_view name) const override { return closed_ ? -1 : index_.Find(name); }
  Result<const Value*> Field(int index) const override {
    if (closed_) return ObjectClosed();
    if (index < 0 || index >= FieldCount()) return ItemNotFound(std::to_string(index));
    if (adding_) return &new_row_[static_cast<std::size_t>(index)];
    RETURN_IF_ERROR(EnsureStarted());
    if (rows_.eof) return NoCurrentRecord();
    return &rows_.row[static_cast<std::size_t>(index)];
  }
  Status Close() override {
    if (closed_) return ObjectClosed();
    Status flushed = Flush();
    rows_.cursor.reset();
    closed_ = true;
    rows_.eof = true;
    connection_.reset();
    return flushed;
  }

 protected:
  virtual Status Flush() { return Status::Ok(); }

  // The rows come from `cursor`, which runs already, instead of a query of the source.
  void ReadFrom(std::unique_ptr<Cursor> cursor) { rows_.cursor = std::move(cursor); }

  // Reads the first row, once; the failure to start, for every later call.
  Status EnsureStarted() const {
    if (rows_.started || closed_) return rows_.start_status;
    rows_.started = true;
    if (!rows_.cursor) {
      auto cursor = connection_->Query(source_);
      if (!cursor.ok()) {
        rows_.eof = true;
        rows_.start_status = cursor.status();
        return rows_.start_status;
      }
      rows_.cursor = std::move(cursor).value();
    }
    return Advance();
  }

  Status Advance() const {
    auto more = rows_.cursor->Next(rows_.row);
    if (!more.ok()) {
      rows_.eof = true;  // a failed read ends the rows, so every caller's loop ends
      return more.status();
    }
    rows_.eof = !*more;
    return Status::Ok();
  }

  std::shared_ptr<Connection> connection_;
  const std::vector<ColumnInfo> columns_;
  const std::string source_;
  ColumnIndex index_;
  std::vector<Value> new_row_;
  bool adding_ = false;
  bool closed_ = false;

 private:
  // The rows as far as they were read. Reading the first one when a caller first asks, from
  // Eof() or Field() too, changes nothing the caller can see: this part is mutable.
  struct Rows {
    std::unique_ptr<Cursor> cursor;
    std::vector<Value> row;
    bool started = false;
    bool eof = true;
    Status start_status;
  };
  mutable Rows rows_;
};

// The rows of a query; read-only.
class QueryRecordset final : public ReadingRecordset {
 public:
  QueryRecordset(std::shared_ptr<Connection> connection, std::unique_ptr<Cursor> cursor)
      : ReadingRecordset(std::move(connection), cursor->columns(), "") {
    ReadFrom(std::move(cursor));
  }
  Status Start() { return EnsureStarted(); }

  Status AddNew() override { return NotUpdatable(); }
  Status Set(int, const Value&) override { return NotUpdatable(); }
  Status Update() override { return NotUpdatable(); }
};

// A whole table: rows to read, and new rows to add.
class TableRecordset final : public ReadingRecordset {
 public:
  TableRecordset(std::shared_ptr<Connection> connection, std::string table, std::string source,
                 std::vector<ColumnInfo> columns)
      : ReadingRecordset(std::move(connection), std::move(columns), std::move(source)),
        table_(std::move(table)) {
    assigned_flags_.assign(columns_.size(), 0);
  }
  ~TableRecordset() override {
    if (!closed_ && connection_) (void)connection_->Flush();
  }

  Status AddNew() override {
    if (closed_) return ObjectClosed();
    // A row whose save failed is dropped here: the next row starts clean. The values keep
    // their buffers, so a long import does not allocate per row.
    new_row_.resize(columns_.size());
    for (Value& v : new_row_) v.SetNull();
    borrowed_.assign(columns_.size(), nullptr);
    std::fill(assigned_flags_.begin(), assigned_flags_.end(), 0);
    adding_ = true;
    return Status::Ok();
  }
  Status SetBorrowed(int index, const Value& value) override {
    if (closed_) return ObjectClosed();
    if (index < 0 || index >= FieldCount()) return ItemNotFound(std::to_string(index));
    if (!adding_) return NotUpdatable();
    borrowed_[static_cast<std::size_t>(index)] = &value;
    assigned_flags_[static_cast<std::size_t>(index)] = 1;
    return Status::Ok();
  }
  Status Set(int index, const Value& value) override {
    if (closed_) return ObjectClosed();
    if (index < 0 || index >= FieldCount()) return ItemNotFound(std::to_string(index));
    if (!adding_) return NotUpdatable();
    new_row_[static_cast<std::size_t>(index)].Assign(value);
    borrowed_[static_cast<std::size_t>(index)] = nullptr;
    assigned_flags_[static_cast<std::size_t>(index)] = 1;
    return Status::Ok();
  }
  Status Update() override { return UpdateTagged(++updates_); }
  Status UpdateTagged(std::uint64_t tag) override {
    if (closed_) return ObjectClosed();
    if (!adding_) return Status::Ok();
    adding_ = false;
    assigned_.clear();
    values_.resize(columns_.size());
    for (std::size_t i = 0; i < assigned_flags_.size(); ++i) {
      if (!assigned_flags_[i]) continue;
      assigned_.push_back(static_cast<int>(i));
      values_[i] = borrowed_[i] ? borrowed_[i] : &new_row_[i];
    }
    return connection_->Insert(table_, columns_, assigned_, values_, tag);
  }
  std::unique_ptr<RowAppender> AppenderFor(std::span<const int> columns) override;
  // Adds a row with *values[i] in column columns[i]: what the appender does.
  Status AppendRow(std::uint64_t tag, const std::vector<int>& columns,
                   std::span<const Value* const> values) {
    if (closed_) return ObjectClosed();
    adding_ = false;  // a row begun with AddNew and not saved is dropped, as by the next AddNew
    values_.resize(columns_.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
      values_[static_cast<std::size_t>(columns[i])] = values[i];
    }
    return connection_->Insert(table_, columns_, columns, values_, tag);
  }
  bool SaveInBackground() override { return !closed_ && connection_->StartBackgroundSaves(); }
  std::uint64_t TakeSaveRefusals(std::vector<LateRefusal>& refusals, bool wait) override {
    return closed_ ? 0 : connection_->TakeSaveRefusals(refusals, wait);
  }
  std::vector<LateRefusal> TakeLateRefusals() override {
    std::vector<LateRefusal> late = std::exchange(late_, {});
    if (connection_) {
      for (LateRefusal& refusal : connection_->TakeLateRefusals()) {
        late.push_back(std::move(refusal));
      }
    }
    return late;
  }

 private:
  Status Flush() override {
    Status flushed = connection_->Flush();
    // The connection goes at Close; what its last batch refused stays to be taken.
    for (LateRefusal& refusal : connection_->TakeLateRefusals())
      late_.push_back(std::move(refusal));
    return flushed;
  }

  std::uint64_t updates_ = 0;
  std::vector<LateRefusal> late_;
  std::string table_;
  std::vector<char> assigned_flags_;
  std::vector<const Value*> borrowed_;
  std::vector<int> assigned_;
  std::vector<const Value*> values_;
};

// The columns of a table's rows, found once for all rows.
class TableAppender final : public RowAppender {
 public:
  TableAppender(TableRecordset& table, std::vector<int> columns)
      : table_(table), columns_(std::move(columns)) {}
  Status Append(std::uint64_t tag, std::span<const Value* const> values) override {
    if (values.size() != columns_.size()) {
      return Status(ErrorKind::kInvalidArgument, kErrAppendedValues,
                    "a row of " + std::to_string(values.size()) + " values for " +
                        std::to_string(columns_.size()) + " columns");
    }
    return table_.AppendRow(tag, columns_, values);
  }

 private:
  TableRecordset& table_;
  const std::vector<int> columns_;
};

std::unique_ptr<RowAppender> TableRecordset::AppenderFor(std::span<const int> columns) {
  // Each column once: an insert that names one twice is refused by every engine.
  std::vector<char> seen(columns_.size(), 0);
  for (const int column : columns) {
    if (closed_ || column < 0 || column >= FieldCount() || seen[static_cast<std::size_t>(column)]) {
      return nullptr;
    }
    seen[static_cast<std::size_t>(column)] = 1;
  }
  return std::make_unique<TableAppender>(*this, std::vector<int>(columns.begin(), columns.end()));
}

// What opening an update statement leaves: no rows, nothing to read.
class ExecutedRecordset final : public ReadOnlyRecordset {
 public:
  bool Eof() const override { return true; }
  Status MoveNext() override { return closed_ ? ObjectClosed() : NoCurrentRecord(); }
  int FieldCount() const override { return 0; }
  std::string_view FieldName(int) const override { return {}; }
  int FindField(std::string_view) const override { return -1; }
  Result<const Value*> Field(int index) const override {
    return ItemNotFound(std::to_string(index));
  }
  Status Close() override {
    if (closed_) return ObjectClosed();
    closed_ = true;
    return Status::Ok();
  }

 private:
  bool closed_ = false;
};

}  // namespace

Result<std::unique_ptr<Recordset>> OpenSqlRecordset(std::shared_ptr<Connection> connection,
                                                    std::string_view source) {
  if (auto select = ParseSimpleSelect(source);
      select && select->kind == SimpleSelect::Kind::kSelectAll) {
    ASSIGN_OR_RETURN(std::vector<ColumnInfo> columns, connection->TableColumns(select->table));
    return std::unique_ptr<Recordset>(std::make_unique<TableRecordset>(
        std::move(connection), select->table, std::string(source), std::move(columns)));
  }
  if (IsQuery(source)) {
    ASSIGN_OR_RETURN(std::unique_ptr<Cursor> cursor, connection->Query(source));
    auto recordset = std::make_unique<QueryRecordset>(std::move(connection), std::move(cursor));
    RETURN_IF_ERROR(recordset->Start());
    return std::unique_ptr<Recordset>(std::move(recordset));
  }
  RETURN_IF_ERROR(connection->ExecuteStatement(source));
  return std::unique_ptr<Recordset>(std::make_unique<ExecutedRecordset>());
}

}  // namespace zuna::sql
