// The command line's pieces in process: reading the arguments, the JSON of the summaries and
// their files, hiding passwords, and the progress lines with a clock moved by hand.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/cli/arguments.h"
#include "app/cli/import_progress.h"
#include "app/cli/json_writer.h"
#include "app/cli/settings_report.h"
#include "app/cli/summary_file.h"
#include "import/table_copier.h"
#include "platform/files/fault_injecting_file_env.h"
#include "tests/support/dbf_builder.h"

namespace zuna::cli {
namespace {

namespace fs = std::filesystem;

struct Parsed {
  ParsedArguments result;
  Invocation invocation;
};

Parsed Parse(std::vector<const char*> words) {
  words.insert(words.begin(), "zuna-transfer");
  Parsed parsed;
  parsed.result = ParseArguments(static_cast<int>(words.size()), words.data(), parsed.invocation);
  return parsed;
}

std::string ErrorOf(std::vector<const char*> words) {
  const Parsed parsed = Parse(std::move(words));
  return parsed.result.error.value_or("no error");
}

TEST(ArgumentsTest, OptionsComeBeforeOrAfterTheCommand) {
  for (const auto& words : {std::vector<const char*>{"--home", "h", "--server=s", "import"},
                            std::vector<const char*>{"import", "--home=h", "--server", "s"},
                            std::vector<const char*>{"--home", "h", "import", "--server", "s"}}) {
    const Parsed parsed = Parse(words);
    ASSERT_FALSE(parsed.result.error) << *parsed.result.error;
    EXPECT_EQ(parsed.invocation.command, "import");
    EXPECT_EQ(parsed.invocation.home, fs::path("h"));
    EXPECT_EQ(parsed.invocation.server, "s");
  }
}

TEST(ArgumentsTest, CommandOptionsAndWordsAfterTheDoubleDash) {
  const Parsed import = Parse({"-q", "import", "--append", "--summary", "s.json"});
  EXPECT_TRUE(import.invocation.quiet);
  EXPECT_TRUE(import.invocation.append);
  EXPECT_EQ(import.invocation.summary, fs::path("s.json"));

  const Parsed pdf = Parse({"pdf", "--size", "-3", "--", "-in.txt", "--out.pdf"});
  ASSERT_FALSE(pdf.result.error) << *pdf.result.error;
  EXPECT_EQ(pdf.invocation.arguments, (std::vector<std::string>{"-in.txt", "--out.pdf"}));
  EXPECT_EQ(pdf.invocation.command_options,
            (std::vector<std::pair<std::string, std::string>>{{"--size", "-3"}}));
  // A value may start with a dash; an empty server name is a name.
  EXPECT_EQ(Parse({"--server", "", "alter"}).invocation.server, "");
}

TEST(ArgumentsTest, HelpAndVersionWinOverTheRest) {
  EXPECT_EQ(Parse({"import", "--help"}).result.request, Request::kHelp);
  EXPECT_EQ(Parse({"-h"}).result.request, Request::kHelp);
  EXPECT_EQ(Parse({"--version", "--help"}).result.request, Request::kHelp);
  EXPECT_EQ(Parse({"--version"}).result.request, Request::kVersion);
  EXPECT_EQ(Parse({"report", "--version"}).result.request, Request::kVersion);
}

TEST(ArgumentsTest, UsageErrorsSayWhatIsWrongInOneLine) {
  EXPECT_EQ(ErrorOf({}), "no command given");
  EXPECT_EQ(ErrorOf({"--bogus", "import"}), "unknown option --bogus");
  EXPECT_EQ(ErrorOf({"import", "-x"}), "unknown option -x");
  EXPECT_EQ(ErrorOf({"import", "--home"}), "--home needs a value");
  EXPECT_EQ(ErrorOf({"import", "--append=yes"}), "--append takes no value");
  EXPECT_EQ(ErrorOf({"report", "--append"}), "--append belongs to import, not to report");
  EXPECT_EQ(ErrorOf({"alter", "--summary", "s"}),
            "--summary belongs to import, report and verify, not to alter");
  EXPECT_EQ(ErrorOf({"import", "--font", "Courier"}), "--font belongs to pdf, not to import");
  EXPECT_EQ(ErrorOf({"import", "--summary="}), "--summary needs a file name");
  EXPECT_EQ(ErrorOf({"--", "--help"}), "no error");  // a command named --help: unknown later
}

TEST(JsonWriterTest, NestsIndentsAndEndsWithALineFeed) {
  JsonWriter json;
  json.BeginObject()
      .Member("name", "personnel")
      .Member("rows", std::uint64_t{18446744073709551615u})
      .Member("delta", std::int64_t{-3})
      .Member("ok", true)
      .Member("unknown", std::optional<std::uint64_t>())
      .Key("seconds")
      .Seconds(1.23456)
      .Key("empty")
      .BeginArray()
      .EndArray()
      .Key("list")
      .BeginArray()
      .Number(1)
      .Null()
      .EndArray()
      .EndObject();
  EXPECT_EQ(json.text(),
            "{\n"
            "  \"name\": \"personnel\",\n"
            "  \"rows\": 18446744073709551615,\n"
            "  \"delta\": -3,\n"
            "  \"ok\": true,\n"
            "  \"unknown\": null,\n"
            "  \"seconds\": 1.235,\n"
            "  \"empty\": [],\n"
            "  \"list\": [\n"
            "    1,\n"
            "    null\n"
            "  ]\n"
            "}\n");
}

TEST(JsonWriterTest, StringsAreEscapedAndAlwaysValidUtf8) {
  EXPECT_EQ(JsonString("a\"b\\c\n\t\r\x01\x7f"), "\"a\\\"b\\\\c\\n\\t\\r\\u0001\\u007f\"");
  EXPECT_EQ(JsonString("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
  // A Windows-1252 é and a cut sequence become U+FFFD.
  EXPECT_EQ(JsonString("caf\xE9 \xE2\x82"), "\"caf\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(JsonWriterDeathTest, CallsOutOfOrderStopTheProgram) {
  EXPECT_DEATH(JsonWriter().BeginObject().Number(1), "without its key");
  EXPECT_DEATH(JsonWriter().BeginArray().EndObject(), "does not match");
  EXPECT_DEATH(JsonWriter().Key("k"), "outside an object");
}

class SummaryFileTest : public ::testing::Test {
 protected:
  std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The folder's entries but the summary itself: a failed write leaves no partial file.
  std::vector<std::string> Others() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path())) {
      if (entry.path() != path_) names.push_back(entry.path().filename().string());
    }
    return names;
  }

  testkit::TempFolder folder_;
  fs::path path_ = folder_ / "summary.json";
};

TEST_F(SummaryFileTest, WritesTheWholeTextAndReplacesAnOlderFile) {
  testkit::WriteFile(path_, "old and longer than the new one");
  ASSERT_TRUE(WriteSummaryFile(path_, "{}\n").ok());
  EXPECT_EQ(Read(path_), "{}\n");
  EXPECT_TRUE(Others().empty());
}

TEST_F(SummaryFileTest, AFailureLeavesTheOldFileAndNoPartialOne) {
  testkit::WriteFile(path_, "old");
  const std::string text(200000, 'x');  // more than the write buffer
  for (int fault = 0; fault < 3; ++fault) {
    files::FaultInjectingFileEnv env;
    if (fault == 0) env.FailOpen("", EACCES);
    if (fault == 1) env.FailWritesAfter("", 70000);
    if (fault == 2) env.FailClose("", EIO);
    const Status written = WriteSummaryFile(path_, text, env);
    EXPECT_EQ(written.number(), fault == 0 ? EACCES : fault == 1 ? ENOSPC : EIO) << fault;
    EXPECT_EQ(Read(path_), "old") << fault;
    EXPECT_TRUE(Others().empty()) << fault;
    EXPECT_EQ(env.open_files(), 0);
  }
}

TEST_F(SummaryFileTest, ARenameThatFailsIsAnErrorWithThePath) {
  fs::create_directory(path_);
  fs::create_directory(path_ / "inside");  // a folder that is not empty cannot be replaced
  const Status written = WriteSummaryFile(path_, "{}\n");
  EXPECT_EQ(written.kind(), ErrorKind::kIoError);
  EXPECT_NE(written.description().find(path_.string()), std::string::npos);
  EXPECT_TRUE(fs::is_directory(path_ / "inside"));
  EXPECT_EQ(Others().size(), 0u);
}

TEST_F(SummaryFileTest, TheFolderIsCheckedBeforeTheWorkStarts) {
  EXPECT_TRUE(CheckSummaryFolder(path_).ok());
  EXPECT_TRUE(CheckSummaryFolder("relative.json").ok());
  EXPECT_EQ(CheckSummaryFolder(folder_ / "missing" / "s.json").number(), ENOENT);
  testkit::WriteFile(folder_ / "file", "");
  EXPECT_EQ(CheckSummaryFolder(folder_ / "file" / "s.json").number(), ENOTDIR);
  fs::create_directory(path_);
  EXPECT_EQ(CheckSummaryFolder(path_).number(), EISDIR);
}

TEST(SummaryTimeTest, TimesAreUtcInIso8601) {
  EXPECT_EQ(IsoUtcTime(std::chrono::system_clock::from_time_t(0)), "1970-01-01T00:00:00Z");
  EXPECT_EQ(IsoUtcTime(std::chrono::system_clock::from_time_t(1767225599)), "2025-12-31T23:59:59Z");
}

TEST(HidePasswordsTest, PasswordValuesAreHiddenWhereverTheyStand) {
  EXPECT_EQ(HidePasswords("DSN=pay"), "DSN=pay");
  EXPECT_EQ(HidePasswords("Driver={X;Y};Server=h;PWD=secret;UID=u"),
            "Driver={X;Y};Server=h;PWD=***;UID=u");
  EXPECT_EQ(HidePasswords("password = {a;b}; pwd=x;"), "password =***; pwd=***;");
}

// A clock the test moves by hand.
struct ManualClock {
  std::chrono::steady_clock::time_point now{};
  void Advance(std::chrono::milliseconds by) { now += by; }
};

class ImportProgressTest : public ::testing::Test {
 protected:
  ImportProgressTest() : out_(std::tmpfile()) {}
  ~ImportProgressTest() override { std::fclose(out_); }

  ImportProgress Progress(ProgressStyle style, int columns = 80) {
    return ImportProgress(
        out_, style, [this] { return clock_.now; }, columns);
  }
  std::string Written() {
    std::fflush(out_);
    std::rewind(out_);
    std::string text;
    for (int c; (c = std::fgetc(out_)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
  }
  static transfer::TableReport Report(std::string table, std::uint64_t saved, double seconds) {
    transfer::TableReport report;
    report.table = std::move(table);
    report.rows_read = report.rows_saved = saved;
    report.header_rows = saved;
    report.seconds = seconds;
    return report;
  }

  std::FILE* out_;
  ManualClock clock_;
};

TEST_F(ImportProgressTest, ATerminalGetsOneLineATableRedrawnInPlace) {
  ImportProgress progress = Progress(ProgressStyle::kTerminal);
  progress.RowsDone("personnel", 0, 4000);
  clock_.Advance(std::chrono::milliseconds(50));
  progress.RowsDone("personnel", 1024, 4000);  // too soon to redraw
  clock_.Advance(std::chrono::milliseconds(950));
  progress.RowsDone("personnel", 2048, 4000);
  progress.TableDone(Report("personnel", 4000, 2));
  transfer::TableReport missing = Report("acting", 0, 0);
  missing.outcome = transfer::TableReport::Outcome::kMissing;
  progress.TableDone(missing);
  EXPECT_EQ(Written(),
            "\r\x1b[Kpersonnel: 0 of 4000 rows"
            "\r\x1b[Kpersonnel: 2048 of 4000 rows, 2048 rows/s, ETA 0:01"
            "\r\x1b[Kpersonnel: 4000 rows copied, 2000 rows/s\n");
}

TEST_F(ImportProgressTest, ALineNeverWrapsOnANarrowTerminal) {
  ImportProgress progress = Progress(ProgressStyle::kTerminal, 20);
  progress.RowsDone("personnel", 0, 4000);
  transfer::TableReport report = Report("personnel", 3990, 2);
  report.rows_read = 4000;
  report.rows_refused = 10;
  progress.TableDone(report);
  // The terminal's columns less one: the cursor never reaches the last column.
  EXPECT_EQ(Written(),
            "\r\x1b[Kpersonnel: 0 of 400"
            "\r\x1b[Kpersonnel: 3990 row\n");
}

TEST_F(ImportProgressTest, AnInterruptedTableIsSaidAndAnOpenLineIsEnded) {
  ImportProgress progress = Progress(ProgressStyle::kTerminal);
  progress.RowsDone("paybill", 0, 10);
  progress.Finish();
  transfer::TableReport report = Report("paybill", 5, 1);
  report.rows_read = 6;
  report.rows_refused = 1;
  report.header_rows = 10;
  report.interrupted = true;
  progress.TableDone(report);
  EXPECT_EQ(Written(),
            "\r\x1b[Kpaybill: 0 of 10 rows\n"
            "\r\x1b[Kpaybill: interrupted after 6 of 10 rows, 5 saved\n");
}

TEST_F(ImportProgressTest, PlainLinesComeWithinATableAtMostEveryFiveSecondsAndAtItsEnd) {
  ImportProgress progress = Progress(ProgressStyle::kPlain);
  progress.RowsDone("personnel", 0, 100000);
  clock_.Advance(std::chrono::milliseconds(4000));
  progress.RowsDone("personnel", 40000, 100000);  // 4 s: not yet
  clock_.Advance(std::chrono::milliseconds(1000));
  progress.RowsDone("personnel", 50000, 100000);
  clock_.Advance(std::chrono::milliseconds(1000));
  progress.RowsDone("personnel", 60000, 100000);  // 1 s after the last line: not yet
  progress.TableDone(Report("personnel", 100000, 10));
  progress.RowsDone("department", 0, 5);
  progress.TableDone(Report("department", 5, 0.001));
  EXPECT_EQ(Written(),
            "personnel: 50000 of 100000 rows, 10000 rows/s, ETA 0:05\n"
            "personnel: 100000 rows copied, 10000 rows/s\n"
            "department: 5 rows copied, 5000 rows/s\n");
}

TEST_F(ImportProgressTest, QuietShowsNothing) {
  ImportProgress progress = Progress(ProgressStyle::kQuiet);
  progress.RowsDone("personnel", 0, 4);
  clock_.Advance(std::chrono::milliseconds(60000));
  progress.RowsDone("personnel", 2, 4);
  progress.TableDone(Report("personnel", 4, 1));
  transfer::TableReport interrupted = Report("paybill", 1, 1);
  interrupted.interrupted = true;
  progress.TableDone(interrupted);
  EXPECT_EQ(Written(), "");
}

TEST_F(ImportProgressTest, TheEtaCountsHoursMinutesAndSeconds) {
  ImportProgress progress = Progress(ProgressStyle::kPlain);
  progress.RowsDone("earnings", 0, 10000000);
  clock_.Advance(std::chrono::milliseconds(10000));
  progress.RowsDone("earnings", 2000, 10000000);
  EXPECT_EQ(Written(), "earnings: 2000 of 10000000 rows, 200 rows/s, ETA 13:53:10\n");
}

}  // namespace
}  // namespace zuna::cli
