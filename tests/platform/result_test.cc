// Result: a value or the failure that prevented it, and the value of a failure never read.
#include "platform/base/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zuna {
namespace {

Result<std::string> Named(bool found) {
  if (!found) return Status(ErrorKind::kNotFound, 2, "No such file or directory");
  return std::string("personnel");
}

Status UseIt(bool found, std::string& out) {
  ASSIGN_OR_RETURN(out, Named(found));
  return Status::Ok();
}

TEST(ResultTest, AValueIsReadAfterOkAndAFailureIsPassedOn) {
  const Result<std::string> named = Named(true);
  ASSERT_TRUE(named.ok());
  EXPECT_EQ(named.value(), "personnel");
  EXPECT_EQ(*named, "personnel");
  EXPECT_EQ(named->size(), 9u);

  std::string out = "unchanged";
  const Status failed = UseIt(false, out);
  EXPECT_EQ(failed.number(), 2);
  EXPECT_EQ(out, "unchanged");
  EXPECT_TRUE(UseIt(true, out).ok());
  EXPECT_EQ(out, "personnel");
}

TEST(ResultTest, AMoveOnlyValueMovesOut) {
  Result<std::unique_ptr<int>> made = std::make_unique<int>(7);
  ASSERT_TRUE(made.ok());
  std::unique_ptr<int> taken = std::move(made).value();
  EXPECT_EQ(*taken, 7);
}

// Reading the value of a failure is a bug of the caller: it stops the program in every build,
// with the failure named, instead of reading a value that is not there.
TEST(ResultDeathTest, TheValueOfAFailureStopsTheProgramAndNamesTheFailure) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Result<std::string> failed = Named(false);
  EXPECT_DEATH((void)failed.value(), "used without checking it .error 2: No such file");
  EXPECT_DEATH((void)*failed, "error 2: No such file or directory");
  EXPECT_DEATH((void)failed->size(), "error 2: No such file or directory");
  EXPECT_DEATH((void)Named(false).value(), "error 2: No such file or directory");
}

TEST(ResultDeathTest, AResultMadeFromAnOkStatusStopsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH((void)Result<int>(Status::Ok()), "made from an ok status");
}

}  // namespace
}  // namespace zuna
