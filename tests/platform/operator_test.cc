// The operator's message lines: the command line prints them and the tests record them alike.
#include "platform/operator/operator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace zuna {
namespace {

TEST(MessageLineTest, IconAndTitleGoInFrontOfTheText) {
  EXPECT_EQ(MessageLine("Completed", MessageIcon::kNone, MessageTitle::kDefault), "Completed");
  EXPECT_EQ(
      MessageLine("Personnel Table Not Found", MessageIcon::kInformation, MessageTitle::kDefault),
      "information: Personnel Table Not Found");
  EXPECT_EQ(MessageLine("DDO Code:(3)", MessageIcon::kCritical, MessageTitle::kZuna),
            "critical (ZUNA): DDO Code:(3)");
  EXPECT_EQ(MessageLine("x", MessageIcon::kInformation, MessageTitle::kZuna),
            "information (ZUNA): x");
  EXPECT_EQ(MessageLine("x", MessageIcon::kNone, MessageTitle::kZuna), "message (ZUNA): x");
  EXPECT_EQ(MessageLine("x", MessageIcon::kCritical, MessageTitle::kDefault), "critical: x");
}

TEST(ConsoleOperatorTest, OneLinePerMessageAndProgressApart) {
  std::FILE* out = std::tmpfile();
  std::FILE* progress = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ASSERT_NE(progress, nullptr);
  ConsoleOperator op(out, progress);
  op.ShowMessage("Completed", MessageIcon::kNone, MessageTitle::kDefault);
  op.ShowError(Status(ErrorKind::kIoError, 28, "No space left on device"));
  op.ShowProgress("personnel: 3 rows copied");
  const auto contents = [](std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(file);
    return text;
  };
  EXPECT_EQ(contents(out), "Completed\nerror 28: No space left on device\n");
  EXPECT_EQ(contents(progress), "personnel: 3 rows copied\n");
}

}  // namespace
}  // namespace zuna
