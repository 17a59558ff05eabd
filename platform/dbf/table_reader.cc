#include "platform/dbf/table_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/base/byte_order.h"
#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/dbf_format.h"
#include "platform/dbf/language_drivers.h"
#include "platform/dbf/memo_file.h"
#include "platform/files/file_system.h"

namespace zuna::dbf {

namespace fs = std::filesystem;

namespace {

// A table file is a regular file: a folder, a named pipe or a device of that name is not read
// (a pipe would block the import until something wrote to it).
Status CheckRegularFile(const fs::path& path, mode_t mode) {
  if (S_ISREG(mode)) return Status::Ok();
  if (S_ISDIR(mode)) return NotATable(path, "it is a folder, not a file");
  if (S_ISFIFO(mode)) return NotATable(path, "it is a named pipe (FIFO), not a file");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return NotATable(path, "it is a device, not a file");
  return NotATable(path, "it is not a regular file");
}

}  // namespace

std::optional<std::uint64_t> AnnouncedRowCount(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info;
  unsigned char fixed[format::kHeaderSize];
  const bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    ::pread(fd, fixed, sizeof fixed, 0) == static_cast<ssize_t>(sizeof fixed);
  ::close(fd);
  if (!read) return std::nullopt;
  return ReadLe32(fixed + format::kRecordCountOffset);
}

TableReader::~TableReader() {
  if (fd_ >= 0) ::close(fd_);
}

Result<std::unique_ptr<TableReader>> TableReader::Open(const fs::path& path,
                                                       const ReaderOptions& options) {
  std::unique_ptr<TableReader> reader(new TableReader());
  reader->path_ = path;
  reader->options_ = options;
  // Non-blocking, so that a named pipe of the table's name is refused instead of waited on.
  reader->fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (reader->fd_ < 0) {
    if (errno == ENOENT) {
      std::string missing = "File '" + path.filename().string() + "' does not exist.";
      // A link whose target is gone is there, though: say where it leads.
      char target[4096];
      const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
      if (n > 0) {
        missing.pop_back();
        missing += ": it is a link to '" + std::string(target, static_cast<std::size_t>(n)) +
                   "', which is missing.";
      }
      return Status(ErrorKind::kNotFound, kErrFileDoesNotExist, missing);
    }
    return files::ErrnoStatus(errno, path);
  }
  struct stat info;
  if (::fstat(reader->fd_, &info) != 0) return files::ErrnoStatus(errno, path);
  RETURN_IF_ERROR(CheckRegularFile(path, info.st_mode));
  const auto file_size = static_cast<std::uint64_t>(info.st_size);

  if (file_size < format::kHeaderSize) {
    return NotATable(path, "the file is shorter than the 32-byte table header");
  }
  unsigned char fixed[format::kHeaderSize];
  if (::pread(reader->fd_, fixed, sizeof fixed, 0) != static_cast<ssize_t>(sizeof fixed)) {
    return files::ErrnoStatus(errno ? errno : EIO, path);
  }
  const std::uint32_t header_length = ReadLe16(fixed + format::kHeaderLengthOffset);
  if (header_length < format::kHeaderSize + 1) {
    return NotATable(
        path, "the header length " + std::to_string(header_length) + " is shorter than a header");
  }
  if (header_length > file_size) {
    return NotATable(path, "the header is shorter than stated (" + std::to_string(file_size) +
                               " bytes in the file, " + std::to_string(header_length) + " stated)");
  }
  std::string header(header_length, '\0');
  if (::pread(reader->fd_, header.data(), header_length, 0) !=
      static_cast<ssize_t>(header_length)) {
    return files::ErrnoStatus(errno ? errno : EIO, path);
  }
  ASSIGN_OR_RETURN(reader->header_, ParseTableHeader(path, header, file_size));
  reader->stats_.header_row_count = reader->header_.record_count;
  reader->stats_.rows_in_file = reader->header_.rows_in_file;
  reader->rows_to_walk_ = reader->header_.rows_in_file;
  RETURN_IF_ERROR(reader->CheckRecordsStartAndEnd(file_size));
  reader->decoding_.path = path;
  RETURN_IF_ERROR(reader->OpenMemo());
  for (const Field& field : reader->header_.fields) {
    reader->decoders_.push_back(DecoderFor(field.type, reader->header_.version));
  }

  const int code_page =
      options.code_page.value_or(CodePageForLanguageDriver(reader->header_.language_driver));
  auto decoder = text::CodePageDecoder::ForCodePage(code_page);
  if (!decoder.ok()) return decoder.status().WithContext(path.string());
  reader->decoding_.text = std::move(decoder).value();

  const std::size_t per_chunk =
      std::max<std::size_t>(1, options.buffer_bytes / reader->header_.record_length);
  reader->buffer_.resize(per_chunk * reader->header_.record_length);
  return reader;
}

// The header's lengths must put the records where they are: the first one starts with a
// deletion flag, and when the file ends with the end-of-file marker, the records end right
// before it. A header or record length that is off would otherwise read every record shifted,
// and a shift by whole backlinks or records passes every check of the header alone.
Status TableReader::CheckRecordsStartAndEnd(std::uint64_t file_size) {
  if (file_size <= header_.header_length) return Status::Ok();
  unsigned char first = 0;
  if (::pread(fd_, &first, 1, header_.header_length) != 1) {
    return files::ErrnoStatus(errno ? errno : EIO, path_);
  }
  if (first != format::kRecordActive && first != format::kRecordDeleted &&
      first != format::kEndOfFile) {
    return NotATable(path_,
                     "the first record, at byte " + std::to_string(header_.header_length) +
                         ", does not start with a deletion flag (found " +
                         ShownBytes(std::string_view(reinterpret_cast<const char*>(&first), 1)) +
                         "): the header length does not lead to the records");
  }
  unsigned char last[2] = {};
  const std::uint64_t tail = std::min<std::uint64_t>(2, file_size - header_.header_length);
  if (::pread(fd_, last + 2 - tail, tail, static_cast<off_t>(file_size - tail)) !=
      static_cast<ssize_t>(tail)) {
    return files::ErrnoStatus(errno ? errno : EIO, path_);
  }
  if (last[1] != format::kEndOfFile) return Status::Ok();  // cut short: complete rows are read
  const std::uint64_t data = file_size - header_.header_length;
  // One end marker, or two as some writers leave; a last record may itself end in 0x1A.
  const bool aligned =
      (data - 1) % header_.record_length == 0 || data % header_.record_length == 0 ||
      (last[0] == format::kEndOfFile && data >= 2 && (data - 2) % header_.record_length == 0);
  if (aligned) return Status::Ok();
  return NotATable(path_, "the records of " + std::to_string(header_.record_length) +
                              " bytes from byte " + std::to_string(header_.header_length) +
                              " do not end at the end-of-file marker at byte " +
                              std::to_string(file_size - 1));
}

Status TableReader::OpenMemo() {
  bool needs_memo = false;
  const bool visual_foxpro = format::IsVisualFoxPro(header_.version);
  for (const Field& field : header_.fields) {
    if (field.type == 'M' || field.type == 'G' || field.type == 'W' || field.type == 'P' ||
        (field.type == 'B' && !visual_foxpro)) {
      needs_memo = true;
    }
  }
  if (!needs_memo) return Status::Ok();

  const fs::path folder = path_.parent_path().empty() ? fs::path(".") : path_.parent_path();
  const std::string stem = path_.stem().string();
  fs::path memo_path = files::FindFileIgnoringCase(folder, stem + ".fpt");
  MemoFile::Format memo_format = MemoFile::Format::kFoxPro;
  if (memo_path.empty()) {
    memo_path = files::FindFileIgnoringCase(folder, stem + ".dbt");
    memo_format = header_.version == format::kDBase4WithMemo ? MemoFile::Format::kDBase4
                                                             : MemoFile::Format::kDBase3;
  }
  if (memo_path.empty()) return MemoInvalid(path_, "no memo file (.fpt or .dbt) beside the table");
  auto memo = MemoFile::Open(memo_path, memo_format);
  if (!memo.ok()) return memo.status();
  decoding_.memo = std::move(memo).value();
  return Status::Ok();
}

Result<bool> TableReader::FillBuffer() {
  const std::uint64_t remaining = rows_to_walk_ - next_record_;
  const std::size_t capacity = buffer_.size() / header_.record_length;
  const std::size_t records =
      static_cast<std::size_t>(std::min<std::uint64_t>(remaining, capacity));
  if (records == 0) return false;
  const std::size_t bytes = records * header_.record_length;
  const off_t offset =
      static_cast<off_t>(header_.header_length + next_record_ * header_.record_length);
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t n =
        ::pread(fd_, buffer_.data() + done, bytes - done, offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return files::ErrnoStatus(errno, path_);
    }
    if (n == 0) break;  // the file shrank since it was opened
    done += static_cast<std::size_t>(n);
  }
  buffer_records_ = done / header_.record_length;
  buffer_position_ = 0;
  if (buffer_records_ < records) rows_to_walk_ = next_record_ + buffer_records_;
  return buffer_records_ > 0;
}

Result<const char*> TableReader::NextRecord() {
  while (!stopped_) {
    if (buffer_position_ >= buffer_records_) {
      ASSIGN_OR_RETURN(const bool more, FillBuffer());
      if (!more) return nullptr;
    }
    const char* record = buffer_.data() + buffer_position_ * header_.record_length;
    ++buffer_position_;
    const std::uint64_t index = next_record_++;
    const char flag = record[0];
    // Past the header's count only real records count: trailing bytes are not invented rows.
    if (index >= stats_.header_row_count && flag != format::kRecordActive &&
        flag != format::kRecordDeleted) {
      stopped_ = true;
      stats_.rows_in_file = index;
      break;
    }
    if (flag == format::kRecordDeleted && options_.skip_deleted) {
      ++stats_.deleted_skipped;
      continue;
    }
    ++stats_.rows_delivered;
    return record;
  }
  return nullptr;
}

Result<bool> TableReader::Next(std::vector<Value>& row) {
  decoding_.field_errors.clear();
  ASSIGN_OR_RETURN(const char* record, NextRecord());
  if (record == nullptr) return false;
  DecodeRecord(record, row);
  return true;
}

Result<std::uint64_t> TableReader::CountRemainingRows() {
  decoding_.field_errors.clear();
  std::uint64_t count = 0;
  for (;;) {
    ASSIGN_OR_RETURN(const char* record, NextRecord());
    if (record == nullptr) return count;
    ++count;
  }
}

void TableReader::DecodeRecord(const char* record, std::vector<Value>& row) {
  const std::vector<Field>& fields = header_.fields;
  row.resize(fields.size());
  const auto* nulls =
      header_.null_flags
          ? reinterpret_cast<const unsigned char*>(record + header_.null_flags->offset)
          : nullptr;
  const auto bit_set = [nulls](int bit) {
    return nulls != nullptr && bit >= 0 && (nulls[bit / 8] >> (bit % 8)) & 1;
  };
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Field& field = fields[i];
    if (bit_set(field.null_bit)) {
      row[i].SetNull();
      continue;
    }
    std::string_view raw(record + field.offset, field.length);
    // A short V or Q value keeps its length in its last byte.
    if (bit_set(field.varlength_bit) && field.length > 0) {
      const std::size_t actual = static_cast<unsigned char>(raw.back());
      raw = raw.substr(0, std::min<std::size_t>(actual, field.length - 1));
    }
    decoders_[i](decoding_, static_cast<int>(i), field, raw, row[i]);
  }
}

recordset::ReadStatistics TableReader::statistics() const {
  recordset::ReadStatistics statistics = stats_;
  statistics.undecodable_fields = decoding_.undecodable_fields;
  return statistics;
}

}  // namespace zuna::dbf
