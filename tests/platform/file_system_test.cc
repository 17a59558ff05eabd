#include "platform/files/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files/program_folder.h"
#include "tests/support/dbf_builder.h"

namespace zuna::files {
namespace {

using testkit::ReadFile;
using testkit::WriteFile;

class FileSystemTest : public ::testing::Test {
 protected:
  testkit::TempFolder folder_;
};

TEST_F(FileSystemTest, UnicodeFileHasBomUtf16AndCrLf) {
  auto writer = TextFileWriter::Create(folder_ / "log", TextFileWriter::Encoding::kUnicode);
  ASSERT_TRUE(writer.ok());
  ASSERT_TRUE(writer->WriteLine("A(é)").ok());
  ASSERT_TRUE(writer->WriteLine("").ok());
  ASSERT_TRUE(writer->Close().ok());
  EXPECT_EQ(ReadFile(folder_ / "log"), std::string("\xFF\xFE"
                                                   "A\0(\0\xE9\0)\0\r\0\n\0"
                                                   "\r\0\n\0",
                                                   18));
}

TEST_F(FileSystemTest, CreatingReplacesAnExistingFile) {
  WriteFile(folder_ / "log", "old content that is longer");
  auto writer = TextFileWriter::Create(folder_ / "log", TextFileWriter::Encoding::kAnsi);
  ASSERT_TRUE(writer.ok());
  ASSERT_TRUE(writer->WriteLine("new").ok());
  ASSERT_TRUE(writer->Close().ok());
  EXPECT_EQ(ReadFile(folder_ / "log"), "new\r\n");
}

TEST_F(FileSystemTest, AnsiFileIsWindows1252WithQuestionMarksForMissingCharacters) {
  auto writer = TextFileWriter::Create(folder_ / "rpt", TextFileWriter::Encoding::kAnsi);
  ASSERT_TRUE(writer.ok());
  ASSERT_TRUE(writer->WriteLine("€ café ф 中").ok());
  ASSERT_TRUE(writer->WriteBlankLines(2).ok());
  ASSERT_TRUE(writer->Close().ok());
  EXPECT_EQ(ReadFile(folder_ / "rpt"), "\x80 caf\xE9 ? ?\r\n\r\n\r\n");
}

TEST_F(FileSystemTest, ReadAllAnsiDecodesWindows1252) {
  WriteFile(folder_ / "s.sql", "SELECT '\x80\xE9\x81'\r\nGO\r\n");
  auto text = ReadAllAnsi(folder_ / "s.sql");
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(*text, "SELECT '€é\xC2\x81'\r\nGO\r\n");
}

TEST_F(FileSystemTest, LineReaderEndsLinesAtCrOrCrLfAndKeepsLoneLf) {
  WriteFile(folder_ / "t", "one\r\ntwo\rthree\nstill three\r\r\nlast");
  auto reader = LineReader::Open(folder_ / "t");
  ASSERT_TRUE(reader.ok());
  std::vector<std::string> lines;
  std::string line;
  while (reader->ReadLine(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three\nstill three", "", "last"}));
  EXPECT_TRUE(reader->AtEnd());
}

TEST_F(FileSystemTest, LineReaderOnEmptyFileIsAtEnd) {
  WriteFile(folder_ / "empty", "");
  auto reader = LineReader::Open(folder_ / "empty");
  ASSERT_TRUE(reader.ok());
  EXPECT_TRUE(reader->AtEnd());
  std::string line;
  EXPECT_FALSE(reader->ReadLine(line));
}

TEST_F(FileSystemTest, AppendWritesExactlyAndLengthCounts) {
  ASSERT_TRUE(AppendExactly(folder_ / "pdf", "abc\r").ok());
  ASSERT_TRUE(AppendExactly(folder_ / "pdf", "\n").ok());
  EXPECT_EQ(ReadFile(folder_ / "pdf"), "abc\r\n");
  EXPECT_EQ(*FileLength(folder_ / "pdf"), 5u);
}

TEST_F(FileSystemTest, ExistsAndDelete) {
  EXPECT_FALSE(FileExists(folder_ / "x"));
  EXPECT_FALSE(FileExists(folder_.path()));  // a folder is not a file
  WriteFile(folder_ / "x", "1");
  EXPECT_TRUE(FileExists(folder_ / "x"));
  EXPECT_TRUE(DeleteFile(folder_ / "x").ok());
  EXPECT_FALSE(FileExists(folder_ / "x"));
}

TEST_F(FileSystemTest, FailuresCarryErrnoAndPath) {
  const Status missing = DeleteFile(folder_ / "absent");
  EXPECT_EQ(missing.number(), ENOENT);
  EXPECT_NE(missing.description().find("absent"), std::string::npos);
  EXPECT_EQ(FileLength(folder_ / "absent").status().number(), ENOENT);
  EXPECT_EQ(ReadAllAnsi(folder_ / "absent").status().number(), ENOENT);
  EXPECT_EQ(LineReader::Open(folder_ / "absent").status().number(), ENOENT);
  auto writer = TextFileWriter::Create(folder_ / "no" / "such", TextFileWriter::Encoding::kAnsi);
  EXPECT_EQ(writer.status().number(), ENOENT);
}

TEST_F(FileSystemTest, ReadingAFolderGivesTheSystemsOwnError) {
  std::filesystem::create_directory(folder_ / "CreateTableScript.sql");
  const Status read = ReadAllAnsi(folder_ / "CreateTableScript.sql").status();
  EXPECT_EQ(read.number(), EISDIR);
  EXPECT_EQ(read.description(), (folder_ / "CreateTableScript.sql").string() + ": Is a directory");
}

TEST_F(FileSystemTest, ReadOnlyFolderRefusesWritesAndDeletes) {
  WriteFile(folder_ / "keep", "1");
  ::chmod(folder_.path().c_str(), 0555);
  const int failed = testkit::RunUnprivileged([&] {
    if (DeleteFile(folder_ / "keep").number() != EACCES) return 1;
    if (TextFileWriter::Create(folder_ / "log", TextFileWriter::Encoding::kUnicode).ok()) return 2;
    if (AppendExactly(folder_ / "report.pdf", "x").number() != EACCES) return 3;
    return 0;
  });
  ::chmod(folder_.path().c_str(), 0755);
  EXPECT_EQ(failed, 0);
  EXPECT_TRUE(FileExists(folder_ / "keep"));
}

TEST_F(FileSystemTest, FindFileIgnoringCasePrefersExactName) {
  WriteFile(folder_ / "Ddo.DBF", "a");
  EXPECT_EQ(FindFileIgnoringCase(folder_.path(), "ddo.dbf").filename(), "Ddo.DBF");
  WriteFile(folder_ / "ddo.dbf", "b");
  EXPECT_EQ(FindFileIgnoringCase(folder_.path(), "ddo.dbf").filename(), "ddo.dbf");
  EXPECT_TRUE(FindFileIgnoringCase(folder_.path(), "cca.dbf").empty());
  EXPECT_TRUE(FindFileIgnoringCase(folder_ / "missing", "ddo.dbf").empty());
}

TEST(ProgramFolderTest, HomeOptionBeatsEnvironmentBeatsExecutable) {
  ::setenv("ZUNA_HOME", "/tmp/zuna-env-home", 1);
  // The folder comes without a trailing separator, as the runtime reports it.
  EXPECT_EQ(ResolveProgramFolder(std::filesystem::path("/srv/zuna/")), "/srv/zuna");
  EXPECT_EQ(ResolveProgramFolder(std::nullopt), "/tmp/zuna-env-home");
  ::unsetenv("ZUNA_HOME");
  EXPECT_EQ(ResolveProgramFolder(std::nullopt),
            std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

}  // namespace
}  // namespace zuna::files
