#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/base/result.h"

// The seam through which the tool writes its files (the logs, the column listing, the report's
// text table and the PDF). Production code uses FileEnv::Default(), the machine's file system;
// a test hands a FaultInjectingFileEnv (platform/files/fault_injecting_file_env.h) to the same
// code to make creating, writing, flushing or closing a chosen file fail with a chosen errno, so
// that every file failure has a deterministic test.
//
// How to take the seam in a writer of files:
//
//   Status ExportReport(..., files::FileEnv& env = files::FileEnv::Default());
//   ASSIGN_OR_RETURN(auto writer, files::TextFileWriter::Create(path, encoding, env));
//   ...
//   RETURN_IF_ERROR(writer.Close());  // the only proof that the bytes reached the file
//
// Failures are Status values of kind kIoError whose number is the errno and whose description
// is the path followed by the system's text ("/srv/zuna/fields: No space left on device").
namespace zuna::files {

// The bytes a WritableFile keeps before it hands them to the operating system on its own.
inline constexpr std::size_t kWriteBufferSize = 64 * 1024;

// A file open for writing, bytes appended in order. Appended bytes may wait in a buffer of up to
// kWriteBufferSize bytes; they reach the operating system when the buffer fills, at Flush() and
// at Close(). Once the process has handed bytes over, a kill of the process no longer loses
// them.
//
// A failure is sticky: after one call fails, every later Append() and Flush() fails with the same
// status and nothing more is written, so a file is either whole or known to be broken (a log
// never goes on after a hole, and a UTF-16 file never goes on after half a character).
//
// Not copyable; not safe for use by two threads at once. Destroying a file that was not closed
// writes what is buffered and closes it without reporting a failure: callers that need to know
// call Close().
class WritableFile {
 public:
  WritableFile() = default;
  WritableFile(const WritableFile&) = delete;
  WritableFile& operator=(const WritableFile&) = delete;
  virtual ~WritableFile() = default;

  // Appends `bytes` after everything appended before. Fails when earlier bytes had to be handed
  // over to make room and that failed, or after an earlier failure.
  virtual Status Append(std::string_view bytes) = 0;

  // Hands every appended byte to the operating system. Ok means the bytes are in the file as far
  // as every reader on this machine can see (not that they survive a power cut).
  virtual Status Flush() = 0;

  // Flushes and releases the file. Ok only when every byte ever appended reached the file and the
  // operating system reported no failure on closing it; otherwise the first failure. The file is
  // released in either case; a second Close() returns Ok, and Append() or Flush() after Close()
  // fail with EBADF.
  virtual Status Close() = 0;
};

// How OpenForWriting treats a file that exists.
enum class WriteMode {
  kReplace,  // created when missing, emptied when it exists
  kAppend,   // created when missing, written after its last byte when it exists
};

// The file system as the tool's writers see it. Not copyable; one object serves many files and
// lives longer than every file it opened.
class FileEnv {
 public:
  FileEnv() = default;
  FileEnv(const FileEnv&) = delete;
  FileEnv& operator=(const FileEnv&) = delete;
  virtual ~FileEnv() = default;

  // Opens `path` for writing in `mode`. Fails with the errno of the system (ENOENT for a missing
  // folder, EACCES for a read-only one, EISDIR for a folder of that name) and creates nothing
  // then.
  virtual Result<std::unique_ptr<WritableFile>> OpenForWriting(const std::filesystem::path& path,
                                                               WriteMode mode) = 0;

  // The machine's own file system: POSIX files, new files readable and writable by everyone the
  // umask allows. The object lives as long as the process.
  static FileEnv& Default();
};

}  // namespace zuna::files
