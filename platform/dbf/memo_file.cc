#include "platform/dbf/memo_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/base/byte_order.h"
#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/dbf_format.h"
#include "platform/files/file_system.h"

namespace zuna::dbf {

namespace fs = std::filesystem;

MemoFile::MemoFile(int fd, fs::path path, Format format, std::uint64_t size)
    : fd_(fd), path_(std::move(path)), format_(format), size_(size) {}

MemoFile::~MemoFile() { ::close(fd_); }

Result<std::unique_ptr<MemoFile>> MemoFile::Open(const fs::path& path, Format format) {
  // Non-blocking, so that a named pipe of the memo's name is refused instead of waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return files::ErrnoStatus(errno, path);
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return files::ErrnoStatus(error, path);
  }
  std::unique_ptr<MemoFile> memo(
      new MemoFile(fd, path, format, static_cast<std::uint64_t>(info.st_size)));
  if (!S_ISREG(info.st_mode)) return MemoInvalid(path, "it is not a regular file");
  unsigned char header[32] = {};
  const std::size_t wanted = format == Format::kDBase3 ? 0 : sizeof header;
  if (memo->size_ < wanted) return MemoInvalid(path, "header shorter than 32 bytes");
  if (wanted > 0) RETURN_IF_ERROR(memo->ReadAt(0, wanted, reinterpret_cast<char*>(header)));
  switch (format) {
    case Format::kFoxPro: {
      const std::uint32_t size = ReadBe16(header + format::kFptBlockSizeOffset);
      memo->block_size_ = size == 0 ? 1 : size;
      memo->next_free_block_ = ReadBe32(header);
      break;
    }
    case Format::kDBase3:
      memo->block_size_ = format::kDbtBlockSize;
      break;
    case Format::kDBase4: {
      const std::uint32_t size = ReadLe16(header + format::kDbt4BlockSizeOffset);
      memo->block_size_ = size == 0 ? static_cast<std::uint32_t>(format::kDbtBlockSize) : size;
      break;
    }
  }
  return memo;
}

Status MemoFile::ReadAt(std::uint64_t offset, std::size_t length, char* out) const {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return files::ErrnoStatus(errno, path_);
    }
    if (n == 0) return MemoInvalid(path_, "unexpected end of file");
    done += static_cast<std::size_t>(n);
  }
  return Status::Ok();
}

Result<std::string> MemoFile::Read(std::uint32_t block) {
  std::string out;
  RETURN_IF_ERROR(Read(block, out));
  return out;
}

Status MemoFile::Read(std::uint32_t block, std::string& out) {
  out.clear();
  const std::uint64_t start = std::uint64_t{block} * block_size_;
  const std::string where = "block " + std::to_string(block);
  if (start >= size_) return MemoInvalid(path_, where + " lies past the end of the memo file");

  if (format_ == Format::kFoxPro) {
    // The first 512 bytes are the file's header, whatever the block size: a pointer into them
    // is damaged, and reading the header as a memo would deliver an empty or invented text.
    if (start < format::kFptHeaderSize) {
      return MemoInvalid(path_, where + " lies inside the memo file's header");
    }
    // FoxPro writes each memo at the next free block and moves that past it, so the file ends
    // inside the last block in use. A header that disagrees is damaged: its block size may
    // have changed, which would move every pointer onto some other memo's text, or the file
    // was cut short.
    const std::uint64_t end_of_blocks = std::uint64_t{next_free_block_} * block_size_;
    if (size_ > end_of_blocks || size_ + block_size_ <= end_of_blocks) {
      return MemoInvalid(path_, "its header's block size " + std::to_string(block_size_) +
                                    " and next free block " + std::to_string(next_free_block_) +
                                    " do not fit its " + std::to_string(size_) + " bytes");
    }
    if (start + format::kFptBlockHeaderSize > size_) {
      return MemoInvalid(path_, where + " lies past the end of the memo file");
    }
    unsigned char head[format::kFptBlockHeaderSize];
    RETURN_IF_ERROR(ReadAt(start, sizeof head, reinterpret_cast<char*>(head)));
    if (ReadBe32(head) > format::kFptLastBlockType) {
      return MemoInvalid(
          path_, where + " does not start a memo (type " + std::to_string(ReadBe32(head)) + ")");
    }
    const std::uint64_t length = ReadBe32(head + 4);
    if (start + format::kFptBlockHeaderSize + length > size_) {
      return MemoInvalid(path_, where + " runs past the end of the memo file");
    }
    out.resize(length);
    return ReadAt(start + format::kFptBlockHeaderSize, length, out.data());
  }

  if (format_ == Format::kDBase4 && start + format::kDbt4BlockHeaderSize <= size_) {
    unsigned char head[format::kDbt4BlockHeaderSize];
    RETURN_IF_ERROR(ReadAt(start, sizeof head, reinterpret_cast<char*>(head)));
    if (head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
      const std::uint64_t length = ReadLe32(head + 4);
      if (length < format::kDbt4BlockHeaderSize || start + length > size_) {
        return MemoInvalid(path_, where + " runs past the end of the memo file");
      }
      out.resize(length - format::kDbt4BlockHeaderSize);
      return ReadAt(start + format::kDbt4BlockHeaderSize, out.size(), out.data());
    }
  }

  // dBase III: the text runs to the first 0x1A. A file that ends before it was cut inside this
  // memo: what is there is only the beginning of the text.
  char chunk[format::kDbtBlockSize];
  std::uint64_t offset = start;
  while (offset < size_) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof chunk, size_ - offset));
    RETURN_IF_ERROR(ReadAt(offset, n, chunk));
    for (std::size_t i = 0; i < n; ++i) {
      if (static_cast<unsigned char>(chunk[i]) == format::kDbtEndOfText) {
        out.append(chunk, i);
        return Status::Ok();
      }
    }
    out.append(chunk, n);
    offset += n;
  }
  out.clear();
  return MemoInvalid(path_, where + " runs past the end of the memo file without its end marker");
}

}  // namespace zuna::dbf
