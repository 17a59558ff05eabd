#include "import/skip_log.h"

namespace zuna::import {

Status SkipLog::Open(const std::filesystem::path& program_folder) {
  Close();
  rows_lost_ = fields_lost_ = entries_ = 0;
  path_ = program_folder / std::string(kSkipLogName);
  auto stream =
      files::TextFileWriter::Create(path_, files::TextFileWriter::Encoding::kUnicode, *env_);
  if (!stream.ok()) return stream.status();
  // Every line is handed to the system at once (the byte-order mark first), so that a killed
  // import loses no line of its failures.
  if (Status flushed = stream->Flush(); !flushed.ok()) return flushed;
  stream_.emplace(std::move(stream).value());
  return Status::Ok();
}

void SkipLog::Close() {
  if (stream_) (void)stream_->Close();
  stream_.reset();
}

void SkipLog::Write(std::string_view table, std::uint64_t row, std::string_view field,
                    const Status& status) {
  ++entries_;
  if (!stream_) return;
  std::string line(table);
  line += '\t';
  line += std::to_string(row);
  line += '\t';
  line += field;
  line += '\t';
  line += std::to_string(status.number());
  line += '\t';
  line += status.description();
  if (stream_->WriteLine(line).ok()) (void)stream_->Flush();
}

void SkipLog::RowLost(std::string_view table, std::uint64_t row, const Status& status) {
  ++rows_lost_;
  Write(table, row, "", status);
}

void SkipLog::RowsLost(std::string_view table, std::uint64_t count, const Status& status) {
  rows_lost_ += count;
  Write(table, 0, "", status.WithContext(std::to_string(count) + " rows not copied"));
}

void SkipLog::FieldLost(std::string_view table, std::uint64_t row, std::string_view field,
                        const Status& status) {
  ++fields_lost_;
  Write(table, row, field, status);
}

void SkipLog::ColumnMissing(std::string_view table, std::string_view field, std::uint64_t rows,
                            const Status& status) {
  fields_lost_ += rows;
  Write(table, 0, field, status.WithContext("every row (" + std::to_string(rows) + ")"));
}

void SkipLog::StepFailed(std::string_view table, std::string_view step, const Status& status) {
  Write(table, 0, step, status);
}

}  // namespace zuna::import
