#include "import/skip_log.h"

namespace zuna::transfer {
namespace {

// Appends `text` as one column of a line. Drivers' messages hold line breaks (psqlODBC's do), and
// names may hold tabs: either would split one failure over two lines or shift its columns, so each
// control character becomes a blank, a CR LF pair one blank.
void AppendColumn(std::string_view text, std::string& line) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
}

}  // namespace

Status SkipLog::Open(const std::filesystem::path& program_folder) {
  (void)Close();
  rows_lost_ = fields_lost_ = entries_ = unwritten_ = 0;
  failure_ = Status::Ok();
  path_ = program_folder / std::string(kSkipLogName);
  auto stream =
      files::TextFileWriter::Create(path_, files::TextFileWriter::Encoding::kUnicode, *env_);
  // Every line is handed to the system at once (the byte-order mark first), so that a killed
  // import loses no line of its failures and a full disk shows at the line it refused.
  Status opened = stream.status();
  if (opened.ok()) opened = stream->Flush();
  if (!opened.ok()) {
    failure_ = opened;
    if (stream.ok()) (void)stream->Close();
    return opened;
  }
  stream_.emplace(std::move(stream).value());
  return Status::Ok();
}

Status SkipLog::Close() {
  if (stream_) {
    if (Status closed = stream_->Close(); !closed.ok() && failure_.ok()) failure_ = closed;
    stream_.reset();
  }
  return failure_;
}

void SkipLog::Write(std::string_view table, std::uint64_t row, std::string_view field,
                    const Status& status) {
  ++entries_;
  if (!stream_) {
    ++unwritten_;
    return;
  }
  line_.clear();
  AppendColumn(table, line_);
  line_ += '\t';
  line_ += std::to_string(row);
  line_ += '\t';
  AppendColumn(field, line_);
  line_ += '\t';
  line_ += std::to_string(status.number());
  line_ += '\t';
  AppendColumn(status.description(), line_);
  Status written = stream_->WriteLine(line_);
  if (written.ok()) written = stream_->Flush();
  if (!written.ok()) {
    failure_ = written;
    ++unwritten_;
    (void)stream_->Close();  // the failure is kept; the file is known to be incomplete
    stream_.reset();
  }
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

}  // namespace zuna::transfer
