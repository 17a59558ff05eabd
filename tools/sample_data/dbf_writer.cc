#include "tools/sample_data/dbf_writer.h"

#include <cerrno>
#include <cstring>

namespace zuna::sample {

namespace {

constexpr std::uint8_t kFoxPro2WithMemo = 0xF5;
constexpr std::uint8_t kFoxBaseNoMemo = 0x03;
constexpr std::uint16_t kMemoBlockSize = 64;
constexpr std::size_t kMemoHeaderSize = 512;

void PutLe16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void PutLe32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutBe32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

Status Write(std::FILE* file, std::string_view bytes, const std::filesystem::path& path) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    return files::ErrnoStatus(errno ? errno : EIO, path);
  }
  return Status::Ok();
}

}  // namespace

Result<DbfWriter> DbfWriter::Create(const std::filesystem::path& path,
                                    std::vector<ColumnSpec> columns, std::uint8_t language_driver) {
  DbfWriter writer;
  writer.path_ = path;
  writer.columns_ = std::move(columns);
  bool has_memo = false;
  std::uint16_t record_length = 1;
  for (const auto& c : writer.columns_) {
    has_memo |= c.type == 'M';
    record_length = static_cast<std::uint16_t>(record_length + c.length);
  }
  writer.table_.reset(std::fopen(path.c_str(), "wb"));
  if (!writer.table_) return files::ErrnoStatus(errno, path);

  const std::size_t header_length = 32 + 32 * writer.columns_.size() + 1;
  std::string header(header_length, '\0');
  header[0] = static_cast<char>(has_memo ? kFoxPro2WithMemo : kFoxBaseNoMemo);
  header[1] = 126;  // last update 2026-12-08, as YY MM DD since 1900
  header[2] = 12;
  header[3] = 8;
  PutLe16(header, 8, static_cast<std::uint16_t>(header_length));
  PutLe16(header, 10, record_length);
  header[28] = has_memo ? 0x02 : 0x00;
  header[29] = static_cast<char>(language_driver);
  for (std::size_t i = 0; i < writer.columns_.size(); ++i) {
    const ColumnSpec& c = writer.columns_[i];
    char* d = header.data() + 32 + 32 * i;
    for (std::size_t k = 0; k < c.name.size() && k < 10; ++k) {
      char ch = c.name[k];
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
      d[k] = ch;
    }
    d[11] = c.type;
    d[16] = static_cast<char>(c.length);
    d[17] = static_cast<char>(c.decimals);
  }
  header[header_length - 1] = 0x0D;
  RETURN_IF_ERROR(Write(writer.table_.get(), header, path));

  if (has_memo) {
    std::filesystem::path memo_path = path;
    memo_path.replace_extension(".fpt");
    writer.memo_.reset(std::fopen(memo_path.c_str(), "wb"));
    if (!writer.memo_) return files::ErrnoStatus(errno, memo_path);
    std::string memo_header(kMemoHeaderSize, '\0');
    memo_header[6] = 0;
    memo_header[7] = static_cast<char>(kMemoBlockSize);
    RETURN_IF_ERROR(Write(writer.memo_.get(), memo_header, memo_path));
    writer.next_memo_block_ = kMemoHeaderSize / kMemoBlockSize;
  }
  writer.record_.reserve(record_length);
  return writer;
}

Result<std::uint32_t> DbfWriter::AddMemo(std::string_view text) {
  const std::uint32_t block = next_memo_block_;
  std::string bytes(8, '\0');
  PutBe32(bytes.data(), 1);  // a text memo
  PutBe32(bytes.data() + 4, static_cast<std::uint32_t>(text.size()));
  bytes += text;
  const std::size_t padded = (bytes.size() + kMemoBlockSize - 1) / kMemoBlockSize * kMemoBlockSize;
  bytes.resize(padded, '\0');
  RETURN_IF_ERROR(Write(memo_.get(), bytes, path_));
  next_memo_block_ += static_cast<std::uint32_t>(padded / kMemoBlockSize);
  return block;
}

Status DbfWriter::AddRow(const std::vector<std::string>& values, bool deleted) {
  record_.assign(1, deleted ? '*' : ' ');
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const ColumnSpec& c = columns_[i];
    std::string value = i < values.size() ? values[i] : std::string();
    if (c.type == 'M') {
      if (value.empty()) {
        value.clear();
      } else {
        ASSIGN_OR_RETURN(const std::uint32_t block, AddMemo(value));
        value = std::to_string(block);
        value.insert(0, c.length - value.size(), ' ');
      }
    } else if (c.type == 'N' && value.size() < c.length) {
      value.insert(0, c.length - value.size(), ' ');  // numbers are right-aligned
    }
    value.resize(c.length, ' ');
    record_ += value;
  }
  ++rows_;
  return Write(table_.get(), record_, path_);
}

Status DbfWriter::Finish() {
  RETURN_IF_ERROR(Write(table_.get(), "\x1A", path_));
  char count[4];
  PutLe32(count, rows_);
  if (std::fseek(table_.get(), 4, SEEK_SET) != 0) return files::ErrnoStatus(errno, path_);
  RETURN_IF_ERROR(Write(table_.get(), std::string_view(count, 4), path_));
  if (memo_) {
    char next[4];
    PutBe32(next, next_memo_block_);
    if (std::fseek(memo_.get(), 0, SEEK_SET) != 0) return files::ErrnoStatus(errno, path_);
    RETURN_IF_ERROR(Write(memo_.get(), std::string_view(next, 4), path_));
    if (std::fclose(memo_.release()) != 0) return files::ErrnoStatus(errno, path_);
  }
  if (std::fclose(table_.release()) != 0) return files::ErrnoStatus(errno, path_);
  return Status::Ok();
}

}  // namespace zuna::sample
