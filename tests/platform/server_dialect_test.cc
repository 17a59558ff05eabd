// The tool's SQL Server texts in each database's words (platform/sql/dialect): unchanged for SQL
// Server, translated for PostgreSQL, MariaDB and SQLite. What the servers make of the
// translations is the contract suite's part (sql_contract_test.cc).
#include "platform/sql/dialect/server_dialect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sql/dialect/sql_server_text.h"

namespace zuna::sql::dialect {
namespace {

// The tool's own texts, as the import, the installation step, the report and the column listing
// write them.
const std::vector<std::string> kToolTexts = {
    "select * from personnel",
    "select * from [personnel-del]",
    "select count(*) from [personnel-del]",
    "select count(*) from [BranchMaster]",
    "select count(*) from installation",
    "update installation set dbf_type='SqlServer'",
    "SELECT * FROM sys.Tables order by name",
    " SELECT column_name 'Column Name',data_type 'Data Type',CHARacter_maximum_length 'Maximum "
    "Length'From information_schema.Columns  WHERE column_name='aadhaar_no' and table_name = "
    "'personnel'",
};

TEST(ServerDialectTest, SqlServerReceivesTheToolsTextsUnchanged) {
  for (const char* name : {"Microsoft SQL Server", "microsoft sql server "}) {
    const ServerDialect sql_server = ServerDialect::ForDriver(name, "\"");
    EXPECT_EQ(sql_server.family(), ServerFamily::kSqlServer);
    for (const std::string& text : kToolTexts) EXPECT_EQ(sql_server.Translate(text), text);
    EXPECT_EQ(sql_server.EmptySelect("personnel-del"), "SELECT * FROM [personnel-del] WHERE 1=0");
    EXPECT_EQ(sql_server.InsertText("BranchMaster", {"micr_name", "bank_code"}),
              "INSERT INTO [BranchMaster] ([micr_name], [bank_code]) VALUES (?, ?)");
    EXPECT_EQ(sql_server.InsertText("a]b", {}), "INSERT INTO [a]]b] DEFAULT VALUES");
    EXPECT_EQ(sql_server.administrative_catalog(), "master");
    EXPECT_EQ(sql_server.session_setup(), "");
    EXPECT_EQ(sql_server.several_statements_option(), 0u);
  }
}

TEST(ServerDialectTest, AnUnknownServerGetsTheToolsTextsUnchanged) {
  const ServerDialect unknown = ServerDialect::ForDriver("Oracle", "\"");
  EXPECT_EQ(unknown.family(), ServerFamily::kSqlServer);
  for (const std::string& text : kToolTexts) EXPECT_EQ(unknown.Translate(text), text);
}

TEST(ServerDialectTest, PostgresQuotesNamesAndReadsItsOwnCatalog) {
  const ServerDialect postgres = ServerDialect::ForDriver("PostgreSQL", "\"");
  EXPECT_EQ(postgres.family(), ServerFamily::kPostgres);
  EXPECT_EQ(postgres.Translate("select * from [personnel-del]"), "select * from \"personnel-del\"");
  EXPECT_EQ(postgres.Translate("select count(*) from [BranchMaster]"),
            "select count(*) from \"BranchMaster\"");
  EXPECT_EQ(postgres.Translate("select count(*) from [say \"hi\"]"),
            "select count(*) from \"say \"\"hi\"\"\"");
  EXPECT_EQ(postgres.Translate("update installation set dbf_type='SqlServer'"),
            "update installation set dbf_type='SqlServer'");
  EXPECT_EQ(postgres.Translate("SELECT * FROM sys.Tables order by name"),
            "SELECT table_name AS name FROM information_schema.tables WHERE table_schema = "
            "current_schema() AND table_type = 'BASE TABLE' ORDER BY lower(table_name) COLLATE "
            "\"C\", table_name COLLATE \"C\"");
  // String literals as aliases become quoted names; the values compared stay literals.
  EXPECT_EQ(postgres.Translate(kToolTexts.back()),
            " SELECT column_name \"Column Name\",data_type \"Data Type\",CHARacter_maximum_length "
            "\"Maximum Length\"From (SELECT * FROM information_schema.columns WHERE table_schema "
            "= current_schema()) AS Columns  WHERE column_name='aadhaar_no' and table_name = "
            "'personnel'");
  EXPECT_EQ(postgres.EmptySelect("BranchMaster"), "SELECT * FROM \"BranchMaster\" WHERE 1=0");
  EXPECT_EQ(postgres.InsertText("personnel-del", {"id_no"}),
            "INSERT INTO \"personnel-del\" (\"id_no\") VALUES (?)");
  EXPECT_EQ(postgres.administrative_catalog(), "postgres");
  EXPECT_EQ(postgres.session_setup(), "SET DateStyle = 'ISO, DMY'");
}

TEST(ServerDialectTest, MariaDbQuotesNamesWithItsDriversQuote) {
  for (const char* name : {"MariaDB", "MySQL"}) {
    const ServerDialect maria = ServerDialect::ForDriver(name, "`");
    EXPECT_EQ(maria.family(), ServerFamily::kMariaDb);
    EXPECT_EQ(maria.Translate("select count(*) from [a`b]"), "select count(*) from `a``b`");
    // MariaDB reads a literal as an alias: the column query keeps it, and asks about the
    // current database only.
    EXPECT_EQ(maria.Translate("SELECT data_type 'Data Type' From information_schema.Columns"),
              "SELECT data_type 'Data Type' From (SELECT * FROM information_schema.columns WHERE "
              "table_schema = DATABASE()) AS Columns");
    EXPECT_EQ(maria.InsertText("t", {}), "INSERT INTO `t` () VALUES ()");
    EXPECT_EQ(maria.administrative_catalog(), "");
    EXPECT_NE(maria.session_setup().find("STRICT_ALL_TABLES"), std::string_view::npos);
    EXPECT_EQ(maria.several_statements_option(), 67108864u);
  }
  // A driver that names no quote character: the server's own.
  EXPECT_EQ(ServerDialect::ForDriver("MariaDB", " ").QuoteName("t"), "`t`");
}

TEST(ServerDialectTest, SqliteAnswersTheCatalogViewsInItsOrderOfNames) {
  const ServerDialect sqlite = ServerDialect::ForDriver("SQLite", "\"");
  EXPECT_EQ(sqlite.family(), ServerFamily::kSqlite);
  const std::string list = sqlite.Translate("SELECT * FROM sys.Tables order by name");
  EXPECT_EQ(list,
            "SELECT * FROM (" + std::string(sqlite.tables_select()) + ") AS Tables order by name");
  EXPECT_NE(sqlite.tables_select().find("COLLATE NOCASE"), std::string_view::npos);
}

TEST(SqlServerTextTest, ACatalogViewKeepsTheNameTheTextGivesIt) {
  CatalogRewrite rewrite;
  rewrite.sys_tables = "SELECT 1 AS name";
  rewrite.derived_tables = true;
  EXPECT_EQ(RewriteSqlServerText("select t.name from sys.tables t", rewrite).text,
            "select t.name from (SELECT 1 AS name) t");
  EXPECT_EQ(RewriteSqlServerText("select name from [sys].[Tables] as t", rewrite).text,
            "select name from (SELECT 1 AS name) as t");
  EXPECT_EQ(RewriteSqlServerText("select name from sys.Tables where name like 'p%'", rewrite).text,
            "select name from (SELECT 1 AS name) AS Tables where name like 'p%'");
  // Only the names themselves: a longer name, a literal and a comment are left alone.
  EXPECT_EQ(
      RewriteSqlServerText("select 'sys.Tables' from sys.Tablespace -- sys.Tables", rewrite).text,
      "select 'sys.Tables' from sys.Tablespace -- sys.Tables");
}

TEST(SqlServerTextTest, OnlyALiteralStandingAsAnAliasBecomesAName) {
  CatalogRewrite rewrite;
  rewrite.literal_aliases = true;
  const auto rewritten = [&](std::string_view text) {
    return RewriteSqlServerText(text, rewrite).text;
  };
  EXPECT_EQ(rewritten("select a 'x', count(*) 'n', b as 'y' from t"),
            "select a \"x\", count(*) \"n\", b as \"y\" from t");
  EXPECT_EQ(rewritten("select a 'it''s' from t"), "select a \"it's\" from t");
  // Values: after an operator or a keyword, typed literals, and a literal of its own.
  for (const char* text :
       {"select a from t where a = 'x'", "select a from t where a like 'x'",
        "select case when a then 'x' else 'y' end from t", "select date '2001-02-03', b from t",
        "select timestamp '2001-02-03 00:00:00' from t", "select 'x', a from t",
        "select a from t where a in ('x', 'y')"}) {
    EXPECT_EQ(rewritten(text), text);
  }
}

TEST(SqlServerTextTest, TheTableListIsKnownWhateverItsSpelling) {
  EXPECT_TRUE(IsTableListQuery("SELECT * FROM sys.Tables order by name"));
  EXPECT_TRUE(IsTableListQuery("  select *\n from SYS.TABLES ORDER  BY NAME ;"));
  EXPECT_TRUE(IsTableListQuery("select * from sys.tables"));
  EXPECT_FALSE(IsTableListQuery("select * from sys.tables order by name desc"));
  EXPECT_FALSE(IsTableListQuery("select name from sys.tables"));
}

TEST(ServerDialectTest, SeveralStatementsAreToldFromOneInMariaDbsWords) {
  const ServerDialect maria = ServerDialect::ForDriver("MariaDB", "`");
  for (const char* one :
       {"SELECT 1", "SELECT 1;", "SELECT 1; -- done\n", "SELECT 1; /* done */ ", "SELECT 1; # done",
        "SELECT 'a;b', `c;d`, \"e;f\"", "SELECT 'it\\'s; here'"}) {
    EXPECT_FALSE(maria.HoldsSeveralStatements(one)) << one;
  }
  for (const char* several :
       {"SELECT 1; SELECT 2", "SELECT ';'; SELECT 2", "BEGIN NOT ATOMIC SELECT 1; SELECT 2; END"}) {
    EXPECT_TRUE(maria.HoldsSeveralStatements(several)) << several;
  }
}

TEST(ServerDialectTest, CreateDatabaseTriesEachServersAdministrativeCatalog) {
  EXPECT_EQ(AdministrativeCatalogs(), (std::vector<std::string_view>{"master", "postgres", ""}));
}

}  // namespace
}  // namespace zuna::sql::dialect
