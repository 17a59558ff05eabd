#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/result.h"
#include "platform/files/file_env.h"

namespace zuna::files {

// Failures carry errno as their number and the system's text, with the path in front.
Status ErrnoStatus(int error_number, const std::filesystem::path& path);

// True when `path` names an existing regular file.
bool FileExists(const std::filesystem::path& path);

// Removes the file. A file the process may not remove (a read-only folder) is an error.
Status DeleteFile(const std::filesystem::path& path);

// The size of the file in bytes.
Result<std::uint64_t> FileLength(const std::filesystem::path& path);

// The whole file, byte for byte. A failure carries the system's own errno (EISDIR for a folder).
Result<std::string> ReadAllBytes(const std::filesystem::path& path);

// The whole file read as Windows-1252 ("ANSI") text, returned as UTF-8.
Result<std::string> ReadAllAnsi(const std::filesystem::path& path);

// Appends `bytes` to the file exactly as given, creating it if missing, and closes it. Ok only
// when every byte reached the file.
Status AppendExactly(const std::filesystem::path& path, std::string_view bytes,
                     FileEnv& env = FileEnv::Default());

// Finds `name` in `folder` the way the Windows file system would: an exact match first, else
// the one entry whose name equals it ignoring ASCII case. Empty when there is none.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           std::string_view name);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A text file being written line by line, each line ended by CR LF. Unicode files are UTF-16
// little-endian and start with the byte-order mark FF FE; ANSI files are Windows-1252, where a
// character the code page lacks becomes '?'. Creating replaces an existing file. Lines are
// buffered: Flush() hands them to the system (a log that must survive a kill flushes each line),
// and only an Ok from Close() proves that every line reached the file. A writer that goes away
// unclosed still writes its lines and closes the file, but nobody learns of a failure then.
class TextFileWriter {
 public:
  enum class Encoding { kUnicode, kAnsi };

  static Result<TextFileWriter> Create(const std::filesystem::path& path, Encoding encoding,
                                       FileEnv& env = FileEnv::Default());

  TextFileWriter(TextFileWriter&&) = default;
  TextFileWriter& operator=(TextFileWriter&&) = default;

  // Writes `utf8_line` and CR LF.
  Status WriteLine(std::string_view utf8_line);
  // Writes `count` CR LF pairs.
  Status WriteBlankLines(int count);
  // Hands every line written so far to the system.
  Status Flush();
  // Flushes and closes; a failure here means data did not reach the file. After the first
  // failure of any call, every later one fails with it (see WritableFile).
  Status Close();

  const std::filesystem::path& path() const { return path_; }

 private:
  TextFileWriter(std::unique_ptr<WritableFile> file, std::filesystem::path path, Encoding encoding)
      : file_(std::move(file)), path_(std::move(path)), encoding_(encoding) {}
  Status Write(std::string_view bytes);

  std::unique_ptr<WritableFile> file_;
  std::filesystem::path path_;
  Encoding encoding_;
  std::string scratch_;
};

// Reads a file sequentially, line by line, as the runtime's line input does: a line ends at a
// CR or at CR LF, the terminator is not part of it, and a lone LF stays inside the line. Bytes
// are returned unchanged.
class LineReader {
 public:
  static Result<LineReader> Open(const std::filesystem::path& path);

  LineReader(LineReader&&) = default;
  LineReader& operator=(LineReader&&) = default;

  bool AtEnd();
  // Reads the next line into `line`; false at the end of the file.
  bool ReadLine(std::string& line);

 private:
  explicit LineReader(FileHandle file) : file_(std::move(file)) {}
  FileHandle file_;
};

}  // namespace zuna::files
