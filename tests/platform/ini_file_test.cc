// zuna.ini as Windows editors save it: with or without a UTF-8 byte-order mark, or as "Unicode".
#include "platform/config/ini_file.h"

#include <gtest/gtest.h>

#include "platform/config/zuna_ini_check.h"
#include "tests/support/dbf_builder.h"

namespace zuna::config {
namespace {

namespace fs = std::filesystem;

class IniFileLoadTest : public ::testing::Test {
 protected:
  Result<IniFile> LoadBytes(const std::string& bytes) {
    testkit::WriteFile(path_, bytes);
    return IniFile::Load(path_);
  }

  // `ascii` as UTF-16 code units, little- or big-endian, after the matching byte-order mark.
  static std::string Utf16(std::string_view ascii, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
      bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
  }

  testkit::TempFolder folder_;
  fs::path path_ = folder_ / "zuna.ini";
};

TEST_F(IniFileLoadTest, Utf8ByteOrderMarkDoesNotHideTheFirstSection) {
  auto ini = LoadBytes("\xEF\xBB\xBF[pay]\r\nDatabase = other.db\r\n[foxpay]\r\nSourceDB = d\r\n");
  ASSERT_TRUE(ini.ok()) << ini.status().ToString();
  EXPECT_EQ(ini->Get("pay", "Database"), "other.db");
  EXPECT_EQ(ini->Get("foxpay", "SourceDB"), "d");
}

TEST_F(IniFileLoadTest, Utf16WithByteOrderMarkIsDecoded) {
  for (const bool big_endian : {false, true}) {
    auto ini = LoadBytes(Utf16("[pay]\r\nDatabase = other.db\r\n", big_endian));
    ASSERT_TRUE(ini.ok()) << ini.status().ToString();
    EXPECT_EQ(ini->Get("pay", "Database"), "other.db") << "big endian: " << big_endian;
  }
  // A character beyond ASCII, and one beyond the basic plane (a surrogate pair).
  auto ini = LoadBytes(std::string("\xFF\xFE[\0a\0]\0\n\0k\0=\0\xE9\0\x3D\xD8\x00\xDE", 20));
  ASSERT_TRUE(ini.ok()) << ini.status().ToString();
  EXPECT_EQ(ini->Get("a", "k"), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST_F(IniFileLoadTest, TextThatIsNotTextIsRefusedWithTheReason) {
  const Result<IniFile> unmarked = LoadBytes(Utf16("[pay]\r\n", false).substr(2));
  EXPECT_EQ(unmarked.status().number(), EILSEQ);
  EXPECT_EQ(unmarked.status().description(),
            path_.string() +
                ": NUL bytes in the text (UTF-16 without a byte-order mark?); save it as UTF-8 or "
                "ANSI text");
  EXPECT_EQ(LoadBytes("\xFF\xFE[\0p").status().number(), EILSEQ);  // an odd byte
  EXPECT_EQ(LoadBytes(std::string("\xFF\xFE\x00\xDC", 4)).status().number(), EILSEQ);  // a lone
                                                                                       // surrogate
}

TEST_F(IniFileLoadTest, MissingFileIsAnEmptyConfigurationButAFolderIsAnError) {
  auto missing = IniFile::Load(path_);
  ASSERT_TRUE(missing.ok());
  EXPECT_FALSE(missing->HasSection("pay"));
  fs::create_directory(path_);
  EXPECT_EQ(IniFile::Load(path_).status().number(), EISDIR);
}

}  // namespace
}  // namespace zuna::config

namespace zuna::config {
namespace {

std::vector<std::string> Texts(const std::vector<IniFinding>& findings) {
  std::vector<std::string> texts;
  for (const IniFinding& finding : findings) {
    texts.push_back(
        std::string(finding.severity == IniFinding::Severity::kError ? "error " : "warning ") +
        finding.text);
  }
  return texts;
}

TEST(IniFileParseTest, SectionsAndSettingsKeepTheirLines) {
  const IniFile ini =
      IniFile::Parse("; a comment\n[pay]\nDriver = sqlite\n\n[FoxPay]\nSourceDB = d\n");
  EXPECT_EQ(ini.SectionLine("pay"), 2);
  EXPECT_EQ(ini.SectionLine("foxpay"), 5);
  EXPECT_EQ(ini.SectionLine("server"), 0);
  EXPECT_EQ(ini.KeyLine("foxpay", "sourcedb"), 6);
  EXPECT_TRUE(ini.problems().empty());
}

TEST(IniFileParseTest, WhatThePassesOverIsKeptWithItsLine) {
  const IniFile ini = IniFile::Parse(
      "Database = before.db\n"  // 1: no section yet
      "[pay]\n"
      "Database = a.db\n"  // 3: given again on 5
      "a stray line\n"     // 4
      "Database = b.db\n"
      "[pay\n"             // 6: no header
      "Database = c.db\n"  // 7: under no section, so [pay] keeps b.db
      "[]\n"               // 8
      "= value\n");        // 9
  EXPECT_EQ(ini.Get("pay", "Database"), "b.db");
  std::vector<std::string> problems;
  for (const IniProblem& p : ini.problems()) {
    problems.push_back(std::to_string(p.line) + " " + p.text);
  }
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "1 Database belongs to no [section]; it is ignored",
                          "3 Database is given again on line 5, which wins",
                          "4 \"a stray line\" is neither [section] nor key = value; it is ignored",
                          "6 \"[pay\" is not a [section] header; it is ignored",
                          "7 Database belongs to no [section]; it is ignored",
                          "8 \"[]\" is not a [section] header; it is ignored",
                          "9 \"= value\" is neither [section] nor key = value; it is ignored"}));
}

TEST(ZunaIniCheckTest, TheShippedSettingsAreClean) {
  const IniFile ini = IniFile::Parse(
      "[foxpay]\nDriver = dbf\nSourceDB = zuna\nCodePage = 1252\nDeleted = no\n"
      "[pay]\nDriver = odbc\nDSN = pay\nRowsPerBatch = 500\n"
      "[server]\nDriver = sqlite\nFixedServer =\n");
  EXPECT_TRUE(CheckZunaIni(ini).empty());
}

TEST(ZunaIniCheckTest, TyposAreWarningsThatNameTheLineAndTheLikelyName) {
  const IniFile ini = IniFile::Parse(
      "[pya]\n"            // 1
      "Database = x.db\n"  // 2: under the unknown section, not reported again
      "[pay]\n"
      "Databse = y.db\n"  // 4
      "DSN = pay\n"       // 5: sqlite ignores it
      "stray\n"           // 6
      "[server]\n"
      "SourceDB = d\n");  // 8
  EXPECT_EQ(Texts(CheckZunaIni(ini)),
            (std::vector<std::string>{
                "warning line 1: unknown section [pya] (did you mean pay?); zuna.ini reads "
                "[foxpay], [pay] and [server], so its settings are ignored",
                "warning line 4: [pay] unknown setting Databse (did you mean Database?); it is "
                "ignored",
                "warning line 5: [pay] DSN applies only to Driver = odbc, and this section's "
                "driver is sqlite; it is ignored",
                "warning line 6: \"stray\" is neither [section] nor key = value; it is ignored",
                "warning line 8: [server] unknown setting SourceDB; it is ignored"}));
}

TEST(ZunaIniCheckTest, ValuesThatCannotBeReadAreErrors) {
  const IniFile ini = IniFile::Parse(
      "[foxpay]\n"
      "CodePage = 1252abc\n"  // 2
      "Deleted = False\n"     // 3
      "[pay]\n"
      "Driver = nosuch\n"  // 5
      "Database = z.db\n"  // 6: no driver warning when the driver itself is wrong
      "[server]\n"
      "Driver = dbf\n"        // 8: the server is a database, not FoxPro tables
      "RowsPerBatch = 0\n");  // 9
  EXPECT_EQ(Texts(CheckZunaIni(ini)),
            (std::vector<std::string>{
                "error line 2: [foxpay] CodePage \"1252abc\" is not a code page number (1252)",
                "error line 3: [foxpay] Deleted \"False\" is neither Yes nor No",
                "error line 5: [pay] Driver \"nosuch\" is not dbf, sqlite or odbc",
                "error line 8: [server] Driver \"dbf\" is not sqlite or odbc",
                "error line 9: [server] RowsPerBatch \"0\" is not a number of rows above 0"}));
}

TEST(ZunaIniCheckTest, EmptyValuesMeanTheDefaultsButAnEmptyDriverDoesNot) {
  EXPECT_TRUE(CheckZunaIni(IniFile::Parse("[foxpay]\nCodePage =\nDeleted =\n")).empty());
  EXPECT_EQ(
      Texts(CheckZunaIni(IniFile::Parse("[pay]\nDriver =\n"))),
      (std::vector<std::string>{"error line 2: [pay] Driver \"\" is not dbf, sqlite or odbc"}));
}

}  // namespace
}  // namespace zuna::config
