// Names and statements inside SQL texts: one reading of quoted names for every place that reads
// them, and the embedded engine's rewriting of the tool's SQL Server texts.
#include <gtest/gtest.h>

#include "platform/recordset/quoted_name.h"
#include "platform/recordset/simple_select.h"
#include "platform/sql/sqlite/sql_server_dialect.h"

namespace zuna {
namespace {

using recordset::BracketName;
using recordset::DoubleQuoteName;
using recordset::ReadQuotedName;

TEST(QuotedNameTest, TheClosingQuoteInsideIsDoubled) {
  EXPECT_EQ(BracketName("personnel-del"), "[personnel-del]");
  EXPECT_EQ(BracketName("a]b[c"), "[a]]b[c]");
  EXPECT_EQ(DoubleQuoteName("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(DoubleQuoteName("a]b"), "\"a]b\"");
}

TEST(QuotedNameTest, ReadingGivesBackWhatQuotingWrote) {
  for (const std::string name : {"", "plain", "a]]b", "]", "x]", "[y"}) {
    const std::string text = BracketName(name) + " rest";
    std::string read;
    const auto end = ReadQuotedName(text, 0, ']', read);
    ASSERT_TRUE(end.has_value()) << text;
    EXPECT_EQ(read, name);
    EXPECT_EQ(text.substr(*end), " rest");
  }
}

TEST(QuotedNameTest, AnUnclosedNameIsNoName) {
  std::string read;
  EXPECT_FALSE(ReadQuotedName("[abc", 0, ']', read).has_value());
  EXPECT_FALSE(ReadQuotedName("[abc]]", 0, ']', read).has_value());
  EXPECT_FALSE(ReadQuotedName("\"abc", 0, '"', read).has_value());
}

TEST(SimpleSelectTest, BracketedNamesReadAsTheEngineReadsThem) {
  auto select = recordset::ParseSimpleSelect("SELECT COUNT(*) FROM [a]]b];");
  ASSERT_TRUE(select.has_value());
  EXPECT_EQ(select->kind, recordset::SimpleSelect::Kind::kCount);
  EXPECT_EQ(select->table, "a]b");
  EXPECT_FALSE(recordset::ParseSimpleSelect("select * from []").has_value());
  EXPECT_FALSE(recordset::ParseSimpleSelect("select * from [open").has_value());
  EXPECT_FALSE(recordset::ParseSimpleSelect("select * from a, b").has_value());
}

TEST(SqlServerDialectTest, BracketedNamesBecomeDoubleQuotedOnes) {
  EXPECT_EQ(sql::sqlite::TranslateCatalogNames("select * from [a]]b] where \"x\" = '[y]'"),
            "select * from \"a]b\" where \"x\" = '[y]'");
  EXPECT_EQ(sql::sqlite::TranslateCatalogNames("select [say \"hi\"]"), "select \"say \"\"hi\"\"\"");
  // An unclosed bracket is left for the engine to refuse.
  EXPECT_EQ(sql::sqlite::TranslateCatalogNames("select [open"), "select [open");
}

TEST(SqlServerDialectTest, DatabaseNamesReadDoubledQuotesAsOne) {
  auto bracketed = sql::sqlite::ParseDatabaseCommand("CREATE DATABASE [pay]]roll] ON PRIMARY;\nGO");
  ASSERT_TRUE(bracketed.has_value());
  EXPECT_EQ(bracketed->kind, sql::sqlite::DatabaseCommand::Kind::kCreate);
  EXPECT_EQ(bracketed->database, "pay]roll");
  EXPECT_EQ(bracketed->length, std::string_view("CREATE DATABASE [pay]]roll] ON PRIMARY;").size());

  auto quoted = sql::sqlite::ParseDatabaseCommand("drop database \"a\"\"b\"");
  ASSERT_TRUE(quoted.has_value());
  EXPECT_EQ(quoted->kind, sql::sqlite::DatabaseCommand::Kind::kDrop);
  EXPECT_EQ(quoted->database, "a\"b");

  EXPECT_FALSE(sql::sqlite::ParseDatabaseCommand("USE [zuna").has_value());
  EXPECT_FALSE(sql::sqlite::ParseDatabaseCommand("USE []").has_value());
}

}  // namespace
}  // namespace zuna
