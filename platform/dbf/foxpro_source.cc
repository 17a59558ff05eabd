#include "platform/dbf/foxpro_source.h"

#include <sys/stat.h>

#include <unordered_map>
#include <vector>

#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/table_reader.h"
#include "platform/files/file_system.h"
#include "platform/recordset/simple_select.h"
#include "platform/text/ascii.h"

namespace zuna::dbf {

namespace fs = std::filesystem;

namespace {

using recordset::ItemNotFound;
using recordset::NoCurrentRecord;
using recordset::ObjectClosed;
using recordset::ReadOnlyRecordset;
using recordset::ReadStatistics;
using recordset::Recordset;

Status Unrecognized(std::string_view text) {
  return Status(ErrorKind::kUnsupported, kErrUnrecognizedCommand,
                "Command contains unrecognized phrase/keyword: the FoxPro data source answers "
                "only \"select * from TABLE\" and \"select count(*) from TABLE\", not \"" +
                    std::string(text) + "\"");
}

// Rows of one table, decoded as the cursor moves.
class TableRecordset final : public ReadOnlyRecordset {
 public:
  explicit TableRecordset(std::unique_ptr<TableReader> reader) : reader_(std::move(reader)) {
    for (std::size_t i = 0; i < reader_->fields().size(); ++i) {
      index_.emplace(reader_->fields()[i].name, static_cast<int>(i));
    }
  }

  Status Start() { return Advance(); }

  bool Eof() const override { return eof_; }
  Status MoveNext() override {
    if (!reader_) return ObjectClosed();
    if (eof_) return NoCurrentRecord();
    return Advance();
  }
  int FieldCount() const override {
    return reader_ ? static_cast<int>(reader_->fields().size()) : 0;
  }
  std::string_view FieldName(int index) const override {
    if (!reader_ || index < 0 || index >= FieldCount()) return {};
    return reader_->fields()[static_cast<std::size_t>(index)].name;
  }
  int FindField(std::string_view name) const override {
    // FoxPro names compare without case, and the driver reports them in lower case.
    const auto it = index_.find(text::LowerAscii(name));
    return it == index_.end() ? -1 : it->second;
  }
  Result<const Value*> Field(int index) const override {
    if (!reader_) return ObjectClosed();
    if (index < 0 || index >= FieldCount()) return ItemNotFound(std::to_string(index));
    if (eof_) return NoCurrentRecord();
    for (const auto& [failed, status] : reader_->field_errors()) {
      if (failed == index) return status;
    }
    return &row_[static_cast<std::size_t>(index)];
  }
  std::span<const Value> RowValues() const override {
    if (!reader_ || eof_ || !reader_->field_errors().empty()) return {};
    return row_;
  }
  Status Close() override {
    if (!reader_) return ObjectClosed();
    statistics_ = reader_->statistics();
    reader_.reset();
    eof_ = true;
    return Status::Ok();
  }
  std::optional<ReadStatistics> Statistics() const override {
    return reader_ ? reader_->statistics() : statistics_;
  }

 private:
  Status Advance() {
    auto more = reader_->Next(row_);
    if (!more.ok()) {
      eof_ = true;  // a read failure ends the rows, so a caller's loop always ends
      return more.status();
    }
    eof_ = !*more;
    return Status::Ok();
  }

  std::unique_ptr<TableReader> reader_;
  std::unordered_map<std::string, int> index_;
  std::vector<Value> row_;
  bool eof_ = true;
  ReadStatistics statistics_;
};

// The one-row answer of a count query.
class CountRecordset final : public ReadOnlyRecordset {
 public:
  explicit CountRecordset(std::int64_t count) : value_(Value::Integer(count)) {}

  bool Eof() const override { return closed_ || moved_; }
  Status MoveNext() override {
    if (closed_) return ObjectClosed();
    if (moved_) return NoCurrentRecord();
    moved_ = true;
    return Status::Ok();
  }
  int FieldCount() const override { return closed_ ? 0 : 1; }
  std::string_view FieldName(int index) const override { return index == 0 ? "cnt" : ""; }
  int FindField(std::string_view name) const override {
    return text::LowerAscii(name) == "cnt" ? 0 : -1;
  }
  Result<const Value*> Field(int index) const override {
    if (closed_) return ObjectClosed();
    if (index != 0) return ItemNotFound(std::to_string(index));
    if (moved_) return NoCurrentRecord();
    return &value_;
  }
  Status Close() override {
    if (closed_) return ObjectClosed();
    closed_ = true;
    return Status::Ok();
  }

 private:
  Value value_;
  bool moved_ = false;
  bool closed_ = false;
};

}  // namespace

Result<SourceStatement> ParseSourceStatement(std::string_view text) {
  auto select = recordset::ParseSimpleSelect(text);
  if (!select) return Unrecognized(text);
  SourceStatement statement;
  statement.kind = select->kind == recordset::SimpleSelect::Kind::kCount
                       ? SourceStatement::Kind::kCount
                       : SourceStatement::Kind::kSelectAll;
  statement.table = std::move(select->table);
  return statement;
}

fs::path FindTableFile(const fs::path& data_folder, std::string_view table) {
  const std::string name = std::string(table) + ".dbf";
  // A real table file wins over a folder or link that differs from it only in case.
  if (fs::path file = files::FindFileIgnoringCase(data_folder, name); !file.empty()) return file;
  const fs::path exact = data_folder / name;
  struct stat info;
  if (::lstat(exact.c_str(), &info) == 0) return exact;
  const std::string lower = text::LowerAscii(name);
  std::error_code ec;
  for (fs::directory_iterator it(data_folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (text::LowerAscii(it->path().filename().string()) == lower) return it->path();
  }
  return {};
}

Result<std::unique_ptr<Recordset>> OpenFoxProRecordset(std::string_view text,
                                                       const FoxProSourceOptions& options) {
  ASSIGN_OR_RETURN(const SourceStatement statement, ParseSourceStatement(text));
  const fs::path file = FindTableFile(options.data_folder, statement.table);
  if (file.empty()) {
    return Status(ErrorKind::kNotFound, kErrFileDoesNotExist,
                  "File '" + (options.data_folder / (statement.table + ".dbf")).string() +
                      "' does not exist.");
  }
  ReaderOptions reader_options;
  reader_options.code_page = options.code_page;
  reader_options.skip_deleted = options.skip_deleted;
  ASSIGN_OR_RETURN(std::unique_ptr<TableReader> reader, TableReader::Open(file, reader_options));

  if (statement.kind == SourceStatement::Kind::kCount) {
    ASSIGN_OR_RETURN(const std::uint64_t count, reader->CountRemainingRows());
    return std::unique_ptr<Recordset>(
        std::make_unique<CountRecordset>(static_cast<std::int64_t>(count)));
  }
  auto recordset = std::make_unique<TableRecordset>(std::move(reader));
  RETURN_IF_ERROR(recordset->Start());
  return std::unique_ptr<Recordset>(std::move(recordset));
}

}  // namespace zuna::dbf
