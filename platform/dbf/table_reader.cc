#include "platform/dbf/table_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/dbf_format.h"
#include "platform/dbf/field_values.h"
#include "platform/dbf/memo_file.h"
#include "platform/files/file_system.h"
#include "platform/text/ascii.h"

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

// The header ends right after the descriptors' terminator, after the 263-byte backlink of
// Visual FoxPro (python3-dbf writes one into its FoxPro 2.x tables too), or after the one NUL
// byte some dBase III writers add. Any other length moves the start of every record.
Status CheckHeaderLength(const fs::path& path, std::string_view header, std::size_t descriptors_end,
                         std::size_t field_count) {
  const std::size_t length = header.size();
  if (length == descriptors_end || length == descriptors_end + format::kBacklinkSize) {
    return Status::Ok();
  }
  if (length == descriptors_end + 1 && header[descriptors_end] == '\0') return Status::Ok();
  return NotATable(
      path, "the header length " + std::to_string(length) + " does not fit its " +
                std::to_string(field_count) + " field descriptors, which end at byte " +
                std::to_string(descriptors_end) + " (" + std::to_string(descriptors_end) + ", or " +
                std::to_string(descriptors_end + format::kBacklinkSize) +
                " with a backlink, expected)");
}

// A byte for a message: printable ASCII as it is, anything else as \xNN.
std::string RawByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string(1, c);
  static constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
}

bool IsKnownFieldType(char type) {
  return std::string_view("CVQNFDTLMGPWBIY0").find(type) != std::string_view::npos;
}

Status CheckWidth(const fs::path& path, const Field& field, std::uint32_t width) {
  if (field.length == width) return Status::Ok();
  return NotATable(path, "field " + field.name + " of type " + std::string(1, field.type) +
                             " has width " + std::to_string(field.length) + ", not " +
                             std::to_string(width));
}

}  // namespace

int CodePageForLanguageDriver(std::uint8_t driver) {
  switch (driver) {
    case 0x01:
      return 437;
    case 0x02:
      return 850;
    case 0x03:
      return 1252;
    case 0x04:
      return 10000;
    case 0x08:
      return 865;
    case 0x09:
      return 437;
    case 0x0A:
      return 850;
    case 0x0B:
      return 437;
    case 0x0D:
      return 437;
    case 0x0E:
      return 850;
    case 0x0F:
      return 437;
    case 0x10:
      return 850;
    case 0x11:
      return 437;
    case 0x12:
      return 850;
    case 0x13:
      return 932;
    case 0x14:
      return 850;
    case 0x15:
      return 437;
    case 0x16:
      return 850;
    case 0x17:
      return 865;
    case 0x18:
      return 437;
    case 0x19:
      return 437;
    case 0x1A:
      return 850;
    case 0x1B:
      return 437;
    case 0x1C:
      return 863;
    case 0x1D:
      return 850;
    case 0x1F:
      return 852;
    case 0x22:
      return 852;
    case 0x23:
      return 852;
    case 0x24:
      return 860;
    case 0x25:
      return 850;
    case 0x26:
      return 866;
    case 0x37:
      return 850;
    case 0x40:
      return 852;
    case 0x4D:
      return 936;
    case 0x4E:
      return 949;
    case 0x4F:
      return 950;
    case 0x50:
      return 874;
    case 0x57:
      return 1252;
    case 0x58:
      return 1252;
    case 0x59:
      return 1252;
    case 0x64:
      return 852;
    case 0x65:
      return 866;
    case 0x66:
      return 865;
    case 0x67:
      return 861;
    case 0x6A:
      return 737;
    case 0x6B:
      return 857;
    case 0x6C:
      return 863;
    case 0x78:
      return 950;
    case 0x79:
      return 949;
    case 0x7A:
      return 936;
    case 0x7B:
      return 932;
    case 0x7C:
      return 874;
    case 0x7D:
      return 1255;
    case 0x7E:
      return 1256;
    case 0x96:
      return 10007;
    case 0x97:
      return 10029;
    case 0x98:
      return 10006;
    case 0xC8:
      return 1250;
    case 0xC9:
      return 1251;
    case 0xCA:
      return 1254;
    case 0xCB:
      return 1253;
    case 0xCC:
      return 1257;
    default:
      return 1252;
  }
}

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
  RETURN_IF_ERROR(reader->ParseHeader(header, file_size));
  RETURN_IF_ERROR(reader->CheckRecordsStartAndEnd(file_size));
  RETURN_IF_ERROR(reader->OpenMemo());

  const int code_page = options.code_page.value_or(
      CodePageForLanguageDriver(static_cast<std::uint8_t>(header[format::kLanguageDriverOffset])));
  auto decoder = text::CodePageDecoder::ForCodePage(code_page);
  if (!decoder.ok()) return decoder.status().WithContext(path.string());
  reader->decoder_ = std::move(decoder).value();

  const std::size_t per_chunk =
      std::max<std::size_t>(1, options.buffer_bytes / reader->record_length_);
  reader->buffer_.resize(per_chunk * reader->record_length_);
  return reader;
}

Status TableReader::ParseHeader(const std::string& header, std::uint64_t file_size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
  version_ = bytes[format::kVersionOffset];
  header_length_ = static_cast<std::uint32_t>(header.size());
  record_length_ = ReadLe16(bytes + format::kRecordLengthOffset);
  const std::uint32_t record_count = ReadLe32(bytes + format::kRecordCountOffset);

  std::size_t pos = format::kHeaderSize;
  std::uint32_t offset = 1;  // after the deletion flag
  bool terminated = false;
  while (pos < header.size()) {
    if (bytes[pos] == format::kHeaderTerminator) {
      terminated = true;
      break;
    }
    if (pos + format::kFieldDescriptorSize > header.size()) break;
    const unsigned char* d = bytes + pos;
    Field field;
    for (std::size_t i = 0; i < format::kFieldNameSize && d[i] != 0; ++i) {
      field.name.push_back(text::LowerAscii(static_cast<char>(d[i])));
    }
    while (!field.name.empty() && field.name.back() == ' ') field.name.pop_back();
    field.type = text::UpperAscii(static_cast<char>(d[format::kFieldTypeOffset]));
    field.length = d[format::kFieldLengthOffset];
    field.decimals = d[format::kFieldDecimalsOffset];
    field.flags = d[format::kFieldFlagsOffset];
    field.offset = offset;
    offset += field.length;
    if (!IsKnownFieldType(field.type)) {
      return NotATable(
          path_, "field " + field.name + " has the unknown type '" + RawByte(field.type) + "'");
    }
    if (field.type != '0') {
      fields_.push_back(std::move(field));
    } else if (null_flags_) {
      return NotATable(path_, "more than one _NullFlags column");
    } else {
      null_flags_ = field;
    }
    pos += format::kFieldDescriptorSize;
  }
  if (!terminated) {
    return NotATable(path_, "the field descriptors have no terminator within the header's " +
                                std::to_string(header.size()) + " bytes");
  }
  RETURN_IF_ERROR(
      CheckHeaderLength(path_, header, pos + 1, fields_.size() + (null_flags_ ? 1 : 0)));
  if (offset != record_length_) {
    return NotATable(path_, "the record length " + std::to_string(record_length_) +
                                " is not the sum of the field widths plus the deletion flag (" +
                                std::to_string(offset) + ")");
  }

  int bit = 0;
  const bool visual_foxpro = format::IsVisualFoxPro(version_);
  // A _NullFlags column means its null bits whatever the version byte says: python3-dbf writes
  // one into FoxPro 2.x tables, and a damaged version byte must not turn nulls into values.
  const bool null_bits = visual_foxpro || null_flags_.has_value();
  for (Field& field : fields_) {
    switch (field.type) {
      case 'D':
      case 'T':
      case 'Y':
        RETURN_IF_ERROR(CheckWidth(path_, field, 8));
        break;
      case 'I':
        RETURN_IF_ERROR(CheckWidth(path_, field, 4));
        break;
      case 'B':
        if (visual_foxpro) RETURN_IF_ERROR(CheckWidth(path_, field, 8));
        break;
      case 'L':
        RETURN_IF_ERROR(CheckWidth(path_, field, 1));
        break;
      default:
        break;
    }
    if (!null_bits) continue;
    if (field.type == 'V' || field.type == 'Q') field.varlength_bit = bit++;
    if (field.flags & format::kFlagNullable) field.null_bit = bit++;
  }
  if (bit > 0) {
    if (!null_flags_) return NotATable(path_, "nullable or variable fields without _NullFlags");
    if (static_cast<std::uint32_t>(bit) > null_flags_->length * 8) {
      return NotATable(path_, "_NullFlags is too short for its fields");
    }
  }

  stats_.header_row_count = record_count;
  const std::uint64_t data_bytes = file_size - header_length_;
  stats_.rows_in_file = record_length_ == 0 ? 0 : data_bytes / record_length_;
  rows_to_walk_ = stats_.rows_in_file;
  return Status::Ok();
}

// The header's lengths must put the records where they are: the first one starts with a
// deletion flag, and when the file ends with the end-of-file marker, the records end right
// before it. A header or record length that is off would otherwise read every record shifted,
// and a shift by whole backlinks or records passes every check of the header alone.
Status TableReader::CheckRecordsStartAndEnd(std::uint64_t file_size) {
  if (file_size <= header_length_) return Status::Ok();
  unsigned char first = 0;
  if (::pread(fd_, &first, 1, header_length_) != 1) {
    return files::ErrnoStatus(errno ? errno : EIO, path_);
  }
  if (first != format::kRecordActive && first != format::kRecordDeleted &&
      first != format::kEndOfFile) {
    return NotATable(path_, "the first record, at byte " + std::to_string(header_length_) +
                                ", does not start with a deletion flag (found " +
                                RawByte(static_cast<char>(first)) +
                                "): the header length does not lead to the records");
  }
  unsigned char last[2] = {};
  const std::uint64_t tail = std::min<std::uint64_t>(2, file_size - header_length_);
  if (::pread(fd_, last + 2 - tail, tail, static_cast<off_t>(file_size - tail)) !=
      static_cast<ssize_t>(tail)) {
    return files::ErrnoStatus(errno ? errno : EIO, path_);
  }
  if (last[1] != format::kEndOfFile) return Status::Ok();  // cut short: complete rows are read
  const std::uint64_t data = file_size - header_length_;
  // One end marker, or two as some writers leave; a last record may itself end in 0x1A.
  const bool aligned =
      (data - 1) % record_length_ == 0 || data % record_length_ == 0 ||
      (last[0] == format::kEndOfFile && data >= 2 && (data - 2) % record_length_ == 0);
  if (aligned) return Status::Ok();
  return NotATable(path_, "the records of " + std::to_string(record_length_) + " bytes from byte " +
                              std::to_string(header_length_) +
                              " do not end at the end-of-file marker at byte " +
                              std::to_string(file_size - 1));
}

Status TableReader::OpenMemo() {
  bool needs_memo = false;
  const bool visual_foxpro = format::IsVisualFoxPro(version_);
  for (const Field& field : fields_) {
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
    memo_format =
        version_ == format::kDBase4WithMemo ? MemoFile::Format::kDBase4 : MemoFile::Format::kDBase3;
  }
  if (memo_path.empty()) return MemoInvalid(path_, "no memo file (.fpt or .dbt) beside the table");
  auto memo = MemoFile::Open(memo_path, memo_format);
  if (!memo.ok()) return memo.status();
  memo_ = std::move(memo).value();
  return Status::Ok();
}

Result<bool> TableReader::FillBuffer() {
  const std::uint64_t remaining = rows_to_walk_ - next_record_;
  const std::size_t capacity = buffer_.size() / record_length_;
  const std::size_t records =
      static_cast<std::size_t>(std::min<std::uint64_t>(remaining, capacity));
  if (records == 0) return false;
  const std::size_t bytes = records * record_length_;
  const off_t offset = static_cast<off_t>(header_length_ + next_record_ * record_length_);
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
  buffer_records_ = done / record_length_;
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
    const char* record = buffer_.data() + buffer_position_ * record_length_;
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
  field_errors_.clear();
  ASSIGN_OR_RETURN(const char* record, NextRecord());
  if (record == nullptr) return false;
  DecodeRecord(record, row);
  return true;
}

Result<std::uint64_t> TableReader::CountRemainingRows() {
  field_errors_.clear();
  std::uint64_t count = 0;
  for (;;) {
    ASSIGN_OR_RETURN(const char* record, NextRecord());
    if (record == nullptr) return count;
    ++count;
  }
}

void TableReader::DecodeRecord(const char* record, std::vector<Value>& row) {
  row.resize(fields_.size());
  const unsigned char* nulls =
      null_flags_ ? reinterpret_cast<const unsigned char*>(record + null_flags_->offset) : nullptr;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const Field& field = fields_[i];
    DecodeField(static_cast<int>(i), field, record + field.offset, nulls, row[i]);
  }
}

void TableReader::DecodeField(int index, const Field& field, const char* data,
                              const unsigned char* nulls, Value& out) {
  const auto bit_set = [nulls](int bit) {
    return nulls != nullptr && bit >= 0 && (nulls[bit / 8] >> (bit % 8)) & 1;
  };
  if (bit_set(field.null_bit)) {
    out.SetNull();
    return;
  }
  std::string_view raw(data, field.length);
  ValueFault fault = ValueFault::kNone;
  switch (field.type) {
    case 'C':
      if (field.flags & format::kFlagBinary) {
        out.SetBinary(raw);
      } else if (decoder_.Decode(raw, out.MutableText()) > 0) {
        ++stats_.undecodable_fields;
      }
      return;
    case 'V':
    case 'Q': {
      if (bit_set(field.varlength_bit) && field.length > 0) {
        const std::size_t actual = static_cast<unsigned char>(raw.back());
        raw = raw.substr(0, std::min<std::size_t>(actual, field.length - 1));
      }
      if (field.type == 'Q' || (field.flags & format::kFlagBinary)) {
        out.SetBinary(raw);
      } else if (decoder_.Decode(raw, out.MutableText()) > 0) {
        ++stats_.undecodable_fields;
      }
      return;
    }
    case 'N':
    case 'F':
      fault = DecodeNumberText(raw, out);
      break;
    case 'D':
      fault = DecodeDateText(raw, out);
      break;
    case 'T':
      fault = DecodeDateTime(raw, out);
      break;
    case 'L':
      fault = DecodeLogical(raw[0], out);
      break;
    case 'I':
      out.SetInteger(ReadLeInt32(data));
      return;
    case 'Y':
      out.SetDecimal(ReadLeInt64(data), format::kCurrencyScale);
      return;
    case 'B':
      if (format::IsVisualFoxPro(version_)) {
        fault = DecodeDouble(raw, out);
        break;
      }
      DecodeMemo(index, field, raw, out);
      return;
    case 'M':
    case 'G':
    case 'W':
    case 'P':
      DecodeMemo(index, field, raw, out);
      return;
    default:
      out.SetBinary(raw);
      return;
  }
  // A value that cannot be read is the field's failure, with its stored bytes: never a null
  // that the date rule or the target would take for a blank.
  if (fault != ValueFault::kNone) {
    field_errors_.emplace_back(index, UndecodableValue(path_, fault, field.name, raw));
  }
}

void TableReader::DecodeMemo(int index, const Field& field, std::string_view raw, Value& out) {
  std::uint32_t block = 0;
  if (raw.size() == 4) {
    block = ReadLe32(raw.data());
  } else {
    const std::string_view digits = text::Trim(raw, format::kFieldPadding);
    for (char c : digits) {
      if (c < '0' || c > '9') {
        out.SetNull();
        field_errors_.emplace_back(
            index, MemoInvalid(path_, "field " + field.name + " holds no memo block number"));
        return;
      }
      block = block * 10 + static_cast<std::uint32_t>(c - '0');
    }
  }
  if (block == 0) {
    out.SetNull();
    return;
  }
  Status status = memo_->Read(block, scratch_);
  if (!status.ok()) {
    out.SetNull();
    field_errors_.emplace_back(index, std::move(status));
    return;
  }
  const bool text = field.type == 'M' && !(field.flags & format::kFlagBinary);
  if (!text) {
    out.SetBinary(scratch_);
  } else if (decoder_.Decode(scratch_, out.MutableText()) > 0) {
    ++stats_.undecodable_fields;
  }
}

}  // namespace zuna::dbf
