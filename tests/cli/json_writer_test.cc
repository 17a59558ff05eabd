#include "app/cli/json_writer.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/files/fault_injecting_file_env.h"
#include "tests/support/dbf_builder.h"

namespace zuna::cli {
namespace {

TEST(JsonWriterTest, CommasAndNestingFollowTheValues) {
  JsonWriter json;
  json.BeginObject().Key("a").Number(1).Key("b").BeginArray().Number(2).Bool(false);
  json.BeginObject().EndObject().BeginArray().EndArray().EndArray().Key("c").String("x");
  json.EndObject();
  EXPECT_EQ(json.text(), "{\"a\":1,\"b\":[2,false,{},[]],\"c\":\"x\"}\n");
}

TEST(JsonWriterTest, StringsAreEscapedAndUtf8PassesThrough) {
  JsonWriter json;
  json.BeginArray().String("say \"no\"\\ \t\r\n\x01 caf\xC3\xA9").EndArray();
  EXPECT_EQ(json.text(), "[\"say \\\"no\\\"\\\\ \\t\\r\\n\\u0001 caf\xC3\xA9\"]\n");
}

TEST(JsonWriterTest, AFileThatDidNotReachTheDiskIsAnError) {
  testkit::TempFolder folder;
  files::FaultInjectingFileEnv env;
  ASSERT_TRUE(WriteJsonFile(folder / "s.json", "{}\n", env).ok());
  EXPECT_EQ(testkit::ReadFile(folder / "s.json"), "{}\n");
  env.FailClose("s.json", EIO);
  EXPECT_EQ(WriteJsonFile(folder / "s.json", "{}\n", env).number(), EIO);
  env.FailOpen("t.json", EACCES);
  EXPECT_EQ(WriteJsonFile(folder / "t.json", "{}\n", env).number(), EACCES);
  EXPECT_EQ(env.open_files(), 0);
}

}  // namespace
}  // namespace zuna::cli
