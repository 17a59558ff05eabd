#include "platform/files/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/text/encoding.h"

namespace zuna::files {

namespace fs = std::filesystem;

Status ErrnoStatus(int error_number, const fs::path& path) {
  return Status(ErrorKind::kIoError, error_number,
                path.string() + ": " + std::strerror(error_number));
}

bool FileExists(const fs::path& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

Status DeleteFile(const fs::path& path) {
  if (::unlink(path.c_str()) != 0) return ErrnoStatus(errno, path);
  return Status::Ok();
}

Result<std::uint64_t> FileLength(const fs::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return ErrnoStatus(errno, path);
  return static_cast<std::uint64_t>(info.st_size);
}

Result<std::string> ReadAllBytes(const fs::path& path) {
  // Owns the descriptor for the read; closing a file only read from reports nothing of use.
  struct Descriptor {
    int fd;
    ~Descriptor() {
      if (fd >= 0) ::close(fd);
    }
  } file{-1};
  do {
    file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (file.fd < 0 && errno == EINTR);
  if (file.fd < 0) return ErrnoStatus(errno, path);
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      // A folder opens for reading; only its read says what it is (EISDIR).
      return ErrnoStatus(errno, path);
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

Result<std::string> ReadAllAnsi(const fs::path& path) {
  ASSIGN_OR_RETURN(std::string bytes, ReadAllBytes(path));
  return text::Cp1252ToUtf8(bytes);
}

Status AppendExactly(const fs::path& path, std::string_view bytes, FileEnv& env) {
  ASSIGN_OR_RETURN(std::unique_ptr<WritableFile> file,
                   env.OpenForWriting(path, WriteMode::kAppend));
  const Status appended = file->Append(bytes);
  const Status closed = file->Close();
  return appended.ok() ? closed : appended;
}

namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

fs::path FindFileIgnoringCase(const fs::path& folder, std::string_view name) {
  fs::path exact = folder / fs::path(std::string(name));
  if (FileExists(exact)) return exact;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (EqualsIgnoringAsciiCase(entry, name) && FileExists(it->path())) return it->path();
  }
  return {};
}

Result<TextFileWriter> TextFileWriter::Create(const fs::path& path, Encoding encoding,
                                              FileEnv& env) {
  ASSIGN_OR_RETURN(std::unique_ptr<WritableFile> file,
                   env.OpenForWriting(path, WriteMode::kReplace));
  TextFileWriter writer(std::move(file), path, encoding);
  if (encoding == Encoding::kUnicode) RETURN_IF_ERROR(writer.Write("\xFF\xFE"));
  return writer;
}

Status TextFileWriter::Write(std::string_view bytes) {
  if (!file_) return Status(ErrorKind::kIoError, EBADF, path_.string() + ": the file is closed");
  return file_->Append(bytes);
}

Status TextFileWriter::WriteLine(std::string_view utf8_line) {
  scratch_.clear();
  if (encoding_ == Encoding::kUnicode) {
    text::AppendUtf16Le(utf8_line, scratch_);
    scratch_.append("\r\0\n\0", 4);
  } else {
    scratch_ = text::Utf8ToCp1252(utf8_line);
    scratch_ += "\r\n";
  }
  return Write(scratch_);
}

Status TextFileWriter::WriteBlankLines(int count) {
  for (int i = 0; i < count; ++i) RETURN_IF_ERROR(WriteLine(""));
  return Status::Ok();
}

Status TextFileWriter::Flush() {
  if (!file_) return Status(ErrorKind::kIoError, EBADF, path_.string() + ": the file is closed");
  return file_->Flush();
}

Status TextFileWriter::Close() {
  if (!file_) return Status::Ok();
  const Status closed = file_->Close();
  file_.reset();
  return closed;
}

Result<LineReader> LineReader::Open(const fs::path& path) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return ErrnoStatus(errno, path);
  return LineReader(std::move(file));
}

bool LineReader::AtEnd() {
  const int c = getc_unlocked(file_.get());
  if (c == EOF) return true;
  std::ungetc(c, file_.get());
  return false;
}

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  int c = getc_unlocked(file_.get());
  if (c == EOF) return false;
  while (c != EOF && c != '\r') {
    line.push_back(static_cast<char>(c));
    c = getc_unlocked(file_.get());
  }
  if (c == '\r') {
    const int next = getc_unlocked(file_.get());
    if (next != '\n' && next != EOF) std::ungetc(next, file_.get());
  }
  return true;
}

}  // namespace zuna::files
