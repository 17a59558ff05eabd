#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/file_env.h"

namespace zuna::files {

// A FileEnv for tests. Files are written through another FileEnv (the machine's unless told
// otherwise), and the faults a test arms make chosen files fail as a full disk, a folder without
// write access or a failing device would make them fail: with the errno the test chooses, at the
// step where the real system reports it. Linked only into tests (library platform_files_faults).
//
// A fault is armed for a file name, the last component of the path ("import_errors", not the
// whole path), or for every file with the name "". A fault armed for a name wins over one armed
// for every file. Faults apply to files opened after they were armed.
//
//   files::FaultInjectingFileEnv env;
//   env.FailOpen("personnel_rpt", EACCES);            // a program folder without write access
//   env.FailWritesAfter("import_errors", 100);        // the disk fills after 100 bytes (ENOSPC)
//   env.FailClose("fields", EIO);                     // the device fails when the file is closed
//   transfer::SkipLog log(env);
//   ...
//   EXPECT_EQ(env.open_files(), 0);        // every file was closed by Close()
//   EXPECT_EQ(env.unchecked_closes(), 0);  // none was merely destroyed, its failures unseen
//
// Like the machine's files, these keep up to kWriteBufferSize bytes before handing them on, so a
// byte limit is noticed where the system would notice it: when the buffer fills, at Flush() or at
// Close(). The bytes up to the limit reach the file, nothing beyond it does, and the failure
// sticks as the WritableFile contract says. Not safe for use by two threads at once; the env must
// outlive its files.
class FaultInjectingFileEnv final : public FileEnv {
 public:
  explicit FaultInjectingFileEnv(FileEnv& base = FileEnv::Default());
  ~FaultInjectingFileEnv() override;

  // Opening the file fails with `error`; nothing is created.
  void FailOpen(std::string_view file_name, int error);
  // Once `bytes` bytes have been written to files of this name (counted across every file
  // opened under it since the fault was armed, as a disk fills), every further byte is refused
  // with `error`.
  void FailWritesAfter(std::string_view file_name, std::uint64_t bytes, int error = ENOSPC);
  // Closing the file reports `error` after every byte was written and the file released.
  void FailClose(std::string_view file_name, int error = EIO);

  // Files opened and not yet closed by Close().
  int open_files() const { return open_files_; }
  // Files that were destroyed without Close(): nobody could have seen their failures.
  int unchecked_closes() const { return unchecked_closes_; }
  // Files opened successfully, over the env's life.
  int files_opened() const { return files_opened_; }

  Result<std::unique_ptr<WritableFile>> OpenForWriting(const std::filesystem::path& path,
                                                       WriteMode mode) override;

 private:
  friend class FaultyFile;

  // What is armed for one name; a zero error means not armed.
  struct Faults {
    int open_error = 0;
    int write_error = 0;
    std::uint64_t write_limit = 0;
    std::uint64_t bytes_written = 0;  // shared by every file of the name
    int close_error = 0;
  };

  Faults& FaultsOf(std::string_view file_name);
  // The faults of `file_name` when `error` is armed for it, else those of every file when it is
  // armed there, else none.
  std::shared_ptr<Faults> Armed(const std::string& file_name, int Faults::*error) const;

  FileEnv& base_;
  std::map<std::string, std::shared_ptr<Faults>, std::less<>> faults_;
  int open_files_ = 0;
  int unchecked_closes_ = 0;
  int files_opened_ = 0;
};

}  // namespace zuna::files
