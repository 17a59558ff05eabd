#include "platform/files/file_env.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/files/file_system.h"

namespace zuna::files {
namespace {

namespace fs = std::filesystem;

Status ClosedFile(const fs::path& path) {
  return Status(ErrorKind::kIoError, EBADF, path.string() + ": the file is closed");
}

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(int fd, fs::path path) : fd_(fd), path_(std::move(path)) {
    buffer_.reserve(kWriteBufferSize);
  }

  ~PosixWritableFile() override { (void)Close(); }

  Status Append(std::string_view bytes) override {
    if (fd_ < 0) return ClosedFile(path_);
    if (!failure_.ok()) return failure_;
    if (buffer_.size() + bytes.size() > kWriteBufferSize) {
      RETURN_IF_ERROR(Flush());
      // A piece larger than the buffer goes straight through instead of being copied twice.
      if (bytes.size() > kWriteBufferSize) return WriteOut(bytes);
    }
    buffer_.append(bytes);
    return Status::Ok();
  }

  Status Flush() override {
    if (fd_ < 0) return ClosedFile(path_);
    if (!failure_.ok()) return failure_;
    const Status written = WriteOut(buffer_);
    buffer_.clear();
    return written;
  }

  Status Close() override {
    if (fd_ < 0) return Status::Ok();
    const Status flushed = Flush();
    const int fd = fd_;
    fd_ = -1;
    // close() releases the descriptor even when it reports a failure; it is never retried.
    if (::close(fd) != 0 && flushed.ok()) return ErrnoStatus(errno, path_);
    return flushed;
  }

 private:
  // Hands `bytes` to the system, as many calls as it takes; the first failure sticks.
  Status WriteOut(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        failure_ = ErrnoStatus(errno, path_);
        return failure_;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return Status::Ok();
  }

  int fd_;
  fs::path path_;
  std::string buffer_;
  Status failure_;
};

class PosixFileEnv final : public FileEnv {
 public:
  Result<std::unique_ptr<WritableFile>> OpenForWriting(const fs::path& path,
                                                       WriteMode mode) override {
    const int flags =
        O_WRONLY | O_CREAT | O_CLOEXEC | (mode == WriteMode::kReplace ? O_TRUNC : O_APPEND);
    int fd;
    do {
      fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return ErrnoStatus(errno, path);
    return std::unique_ptr<WritableFile>(std::make_unique<PosixWritableFile>(fd, path));
  }
};

}  // namespace

FileEnv& FileEnv::Default() {
  static PosixFileEnv env;  // stateless: files it opened do not depend on it
  return env;
}

}  // namespace zuna::files
