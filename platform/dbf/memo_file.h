#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/base/result.h"

namespace zuna::dbf {

// Reads the memo blocks of a table's memo file (.fpt or .dbt). Every read is checked against the
// file's size, so a damaged pointer gives an error, never bytes from past the end.
class MemoFile {
 public:
  enum class Format {
    kFoxPro,  // .fpt: block size from the header, typed and sized blocks
    kDBase3,  // .dbt: 512-byte blocks, text ended by 0x1A
    kDBase4,  // .dbt: block size from the header, sized blocks (falls back to 0x1A)
  };

  static Result<std::unique_ptr<MemoFile>> Open(const std::filesystem::path& path, Format format);
  ~MemoFile();
  MemoFile(const MemoFile&) = delete;
  MemoFile& operator=(const MemoFile&) = delete;

  // The bytes of the memo that starts at `block`.
  Result<std::string> Read(std::uint32_t block);
  Status Read(std::uint32_t block, std::string& out);

  std::uint32_t block_size() const { return block_size_; }

 private:
  MemoFile(int fd, std::filesystem::path path, Format format, std::uint64_t size);
  Status ReadAt(std::uint64_t offset, std::size_t length, char* out) const;

  int fd_;
  std::filesystem::path path_;
  Format format_;
  std::uint64_t size_;
  std::uint32_t block_size_ = 512;
  std::uint32_t next_free_block_ = 0;  // .fpt: where the next memo would be written
};

}  // namespace zuna::dbf
