// zuna.ini as Windows editors save it: with or without a UTF-8 byte-order mark, or as "Unicode".
#include "platform/config/ini_file.h"

#include <gtest/gtest.h>

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
