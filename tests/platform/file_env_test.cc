// The file seam: the machine's files keep their contract, and the fault-injecting env fails the
// chosen files the way the machine would.
#include "platform/files/file_env.h"

#include <gtest/gtest.h>

#include "platform/files/fault_injecting_file_env.h"
#include "platform/files/file_system.h"
#include "tests/support/dbf_builder.h"

namespace zuna::files {
namespace {

using testkit::ReadFile;
using Encoding = TextFileWriter::Encoding;

class FileEnvTest : public ::testing::Test {
 protected:
  std::unique_ptr<WritableFile> Open(FileEnv& env, const std::string& name,
                                     WriteMode mode = WriteMode::kReplace) {
    auto file = env.OpenForWriting(folder_ / name, mode);
    EXPECT_TRUE(file.ok()) << file.status().ToString();
    return file.ok() ? std::move(file).value() : nullptr;
  }

  testkit::TempFolder folder_;
  FaultInjectingFileEnv faults_;
};

TEST_F(FileEnvTest, FlushedBytesAreInTheFileBeforeItIsClosed) {
  auto file = Open(FileEnv::Default(), "log");
  ASSERT_TRUE(file->Append("first").ok());
  ASSERT_TRUE(file->Flush().ok());
  EXPECT_EQ(ReadFile(folder_ / "log"), "first");
  ASSERT_TRUE(file->Append(std::string(kWriteBufferSize + 1, 'x')).ok());
  EXPECT_EQ(ReadFile(folder_ / "log").size(), 5 + kWriteBufferSize + 1);  // too big to wait
  ASSERT_TRUE(file->Close().ok());
}

TEST_F(FileEnvTest, ReplaceEmptiesAndAppendKeeps) {
  testkit::WriteFile(folder_ / "f", "old");
  auto appended = Open(FileEnv::Default(), "f", WriteMode::kAppend);
  ASSERT_TRUE(appended->Append("+new").ok());
  ASSERT_TRUE(appended->Close().ok());
  EXPECT_EQ(ReadFile(folder_ / "f"), "old+new");
  auto replaced = Open(FileEnv::Default(), "f");
  ASSERT_TRUE(replaced->Close().ok());
  EXPECT_EQ(ReadFile(folder_ / "f"), "");
}

TEST_F(FileEnvTest, UnclosedFileStillWritesWhatItHolds) {
  {
    auto file = Open(FileEnv::Default(), "f");
    ASSERT_TRUE(file->Append("kept").ok());
  }
  EXPECT_EQ(ReadFile(folder_ / "f"), "kept");
}

// Failures of the machine's own files.

TEST_F(FileEnvTest, FullDeviceFailsAtTheHandOverAndTheFailureSticks) {
  auto file = FileEnv::Default().OpenForWriting("/dev/full", WriteMode::kReplace);
  ASSERT_TRUE(file.ok());
  EXPECT_TRUE((*file)->Append("line").ok());  // still in the buffer
  const Status flushed = (*file)->Flush();
  EXPECT_EQ(flushed.number(), ENOSPC);
  EXPECT_EQ(flushed.description(), "/dev/full: No space left on device");
  EXPECT_EQ((*file)->Append("more"), flushed);
  EXPECT_EQ((*file)->Close(), flushed);
  EXPECT_TRUE((*file)->Close().ok());
  EXPECT_EQ((*file)->Append("x").number(), EBADF);
}

TEST_F(FileEnvTest, OpeningFailsWithTheSystemsErrno) {
  EXPECT_EQ(FileEnv::Default()
                .OpenForWriting(folder_ / "no" / "f", WriteMode::kReplace)
                .status()
                .number(),
            ENOENT);
  EXPECT_EQ(
      FileEnv::Default().OpenForWriting(folder_.path(), WriteMode::kReplace).status().number(),
      EISDIR);
}

// The fault-injecting env.

TEST_F(FileEnvTest, ArmedOpenFailureCreatesNothing) {
  faults_.FailOpen("personnel_rpt", EACCES);
  const auto refused = faults_.OpenForWriting(folder_ / "personnel_rpt", WriteMode::kReplace);
  EXPECT_EQ(refused.status().number(), EACCES);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "personnel_rpt"));
  auto other = Open(faults_, "paybill_rpt");  // other names are untouched
  ASSERT_TRUE(other->Close().ok());
}

TEST_F(FileEnvTest, DiskThatFillsKeepsTheBytesUpToTheLimitAndRefusesTheRest) {
  faults_.FailWritesAfter("log", 6);
  auto file = Open(faults_, "log");
  ASSERT_TRUE(file->Append("abcd").ok());
  ASSERT_TRUE(file->Flush().ok());
  ASSERT_TRUE(file->Append("efgh").ok());  // buffered: the disk has not been asked yet
  const Status flushed = file->Flush();
  EXPECT_EQ(flushed.number(), ENOSPC);
  EXPECT_NE(flushed.description().find("log: No space left on device"), std::string::npos);
  EXPECT_EQ(file->Append("ij"), flushed);
  EXPECT_EQ(file->Close(), flushed);
  EXPECT_EQ(ReadFile(folder_ / "log"), "abcdef");
}

TEST_F(FileEnvTest, ByteLimitCountsAcrossTheFilesOfItsName) {
  faults_.FailWritesAfter("report.pdf", 5);
  EXPECT_TRUE(AppendExactly(folder_ / "report.pdf", "abc", faults_).ok());
  EXPECT_EQ(AppendExactly(folder_ / "report.pdf", "def", faults_).number(), ENOSPC);
  EXPECT_EQ(ReadFile(folder_ / "report.pdf"), "abcde");
}

TEST_F(FileEnvTest, LimitForEveryFileIsOneDiskForAll) {
  faults_.FailWritesAfter("", 4);
  auto a = Open(faults_, "a");
  auto b = Open(faults_, "b");
  EXPECT_TRUE(a->Append("aaa").ok());
  EXPECT_TRUE(a->Close().ok());
  EXPECT_TRUE(b->Append("bb").ok());
  EXPECT_EQ(b->Close().number(), ENOSPC);
  EXPECT_EQ(ReadFile(folder_ / "b"), "b");
}

TEST_F(FileEnvTest, NamedFaultWinsOverTheOneForEveryFile) {
  faults_.FailClose("", EIO);
  faults_.FailClose("fields", EROFS);
  EXPECT_EQ(Open(faults_, "fields")->Close().number(), EROFS);
  EXPECT_EQ(Open(faults_, "other")->Close().number(), EIO);
}

TEST_F(FileEnvTest, CloseFailureComesAfterEveryByteWasWritten) {
  faults_.FailClose("rpt", EIO);
  auto writer = TextFileWriter::Create(folder_ / "rpt", Encoding::kAnsi, faults_);
  ASSERT_TRUE(writer.ok());
  ASSERT_TRUE(writer->WriteLine("one").ok());
  const Status closed = writer->Close();
  EXPECT_EQ(closed.number(), EIO);
  EXPECT_NE(closed.description().find("rpt: Input/output error"), std::string::npos);
  EXPECT_EQ(ReadFile(folder_ / "rpt"), "one\r\n");
  EXPECT_EQ(faults_.open_files(), 0);
}

TEST_F(FileEnvTest, BufferedLinesMeetAFullDiskOnlyAtClose) {
  faults_.FailWritesAfter("data_transfer_rpt", 10);
  auto writer = TextFileWriter::Create(folder_ / "data_transfer_rpt", Encoding::kAnsi, faults_);
  ASSERT_TRUE(writer.ok());
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(writer->WriteLine("a line").ok());
  EXPECT_EQ(writer->Close().number(), ENOSPC);
  EXPECT_EQ(ReadFile(folder_ / "data_transfer_rpt"), "a line\r\na ");
}

TEST_F(FileEnvTest, FilesDestroyedWithoutCloseAreCounted) {
  auto closed = Open(faults_, "a");
  auto dropped = Open(faults_, "b");
  EXPECT_EQ(faults_.open_files(), 2);
  ASSERT_TRUE(closed->Close().ok());
  dropped.reset();
  EXPECT_EQ(faults_.open_files(), 0);
  EXPECT_EQ(faults_.unchecked_closes(), 1);
  EXPECT_EQ(faults_.files_opened(), 2);
}

}  // namespace
}  // namespace zuna::files
