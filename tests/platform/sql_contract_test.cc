// One suite of recordset semantics, run against the embedded engine, against ODBC with Debian's
// SQLite ODBC driver (both with parameter arrays and with every row sent on its own), and against
// the PostgreSQL and MariaDB servers ctest starts, through their ODBC drivers.
#include <gtest/gtest.h>

#include <map>

#include "platform/sources/data_sources.h"
#include "platform/sql/odbc/odbc_connection.h"
#include "platform/sql/sql_errors.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/odbc_environment.h"

namespace zuna::sql {
namespace {

using recordset::kErrItemNotFound;
using recordset::kErrNoCurrentRecord;
using recordset::kErrObjectClosed;
using recordset::LateRefusal;
using recordset::Recordset;
using sources::DataSources;

enum class Engine { kEmbedded, kOdbc, kOdbcRowByRow, kPostgres, kMariaDb };

// Why a case is skipped on a server: the recordset of a whole table reads the table's columns
// with the tool's SQL Server text ("SELECT * FROM [staff] WHERE 1=0") and saves rows with
// bracketed names, which reach a server untranslated until the connection layer speaks its
// dialect.
constexpr const char* kNeedsDialect = "needs the server dialect (bracketed names)";

class SqlContractTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    config::IniFile ini;
    std::vector<std::string> odbc_names;
    std::string born_type = "datetime";
    switch (GetParam()) {
      case Engine::kEmbedded:
        ini = config::IniFile::Parse("[pay]\nDriver = sqlite\nDatabase = target.db\n");
        testkit::WriteFile(folder_ / "target.db", "");  // an empty file is an empty database
        break;
      case Engine::kOdbcRowByRow:
        ini = config::IniFile::Parse("[pay]\nDriver = odbc\nDSN = pay\nRowsPerBatch = 1\n");
        break;
      case Engine::kOdbc:
        // No zuna.ini section: "pay" is found among unixODBC's data sources (this process's
        // ODBCINI, on SQLite's driver), the second step of the lookup.
        break;
      case Engine::kPostgres:
      case Engine::kMariaDb: {
        const auto server = GetParam() == Engine::kPostgres ? testkit::TestServer::kPostgres
                                                            : testkit::TestServer::kMariaDb;
        const auto dsn = testkit::TestServerDataSource(server);
        if (!dsn) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
        ini = config::IniFile::Parse("[pay]\nDriver = odbc\nDSN = " + *dsn + "\n");
        if (GetParam() == Engine::kPostgres) born_type = "timestamp";
        break;
      }
    }
    if (GetParam() != Engine::kEmbedded) odbc_names = odbc::ListDataSources();
    sources_ = std::make_unique<DataSources>(folder_.path(), ini, odbc_names);
    auto connection = sources_->OpenConnection("dsn=pay");
    ASSERT_TRUE(connection.ok()) << connection.status().ToString();
    for (const std::string& statement :
         {std::string("DROP TABLE IF EXISTS staff"),
          "CREATE TABLE staff (id int NOT NULL PRIMARY KEY, name varchar(10), pay decimal(10,2), "
          "born " +
              born_type + ", note varchar(20) DEFAULT 'none')",
          std::string("INSERT INTO staff (id, name, pay) VALUES (1, 'Ann', 1520.5)")}) {
      const Status done = (*connection)->Execute(statement);
      ASSERT_TRUE(done.ok()) << done.ToString();
    }
  }

  bool OnServer() const {
    return GetParam() == Engine::kPostgres || GetParam() == Engine::kMariaDb;
  }

  std::unique_ptr<Recordset> Open(std::string_view source) {
    auto rs = sources_->OpenRecordset(source, "dsn=pay");
    EXPECT_TRUE(rs.ok()) << rs.status().ToString();
    return rs.ok() ? std::move(rs).value() : nullptr;
  }

  // Every row of `query` as "v1|v2|...", nulls as <null>.
  std::vector<std::string> Rows(std::string_view query) {
    std::vector<std::string> rows;
    auto rs = Open(query);
    if (!rs) return rows;
    while (!rs->Eof()) {
      std::string line;
      for (int i = 0; i < rs->FieldCount(); ++i) {
        const Value* v = *rs->Field(i);
        line += (i ? "|" : "") + (v->is_null() ? std::string("<null>") : v->ToText());
      }
      rows.push_back(line);
      EXPECT_TRUE(rs->MoveNext().ok());
    }
    return rows;
  }

  testkit::TempFolder folder_;
  std::unique_ptr<DataSources> sources_;
};

TEST_P(SqlContractTest, FieldListIsTheTableInOrder) {
  if (OnServer()) GTEST_SKIP() << kNeedsDialect;
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  ASSERT_EQ(rs->FieldCount(), 5);
  EXPECT_EQ(rs->FieldName(0), "id");
  EXPECT_EQ(rs->FieldName(4), "note");
  EXPECT_EQ(rs->FindField("NAME"), 1);  // names compare without case
  EXPECT_EQ(rs->FindField("missing"), -1);
}

TEST_P(SqlContractTest, AddedRowsAreSavedWithNullsAndDefaults) {
  if (OnServer()) GTEST_SKIP() << kNeedsDialect;
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  ASSERT_TRUE(rs->AddNew().ok());
  ASSERT_TRUE(rs->SetByName("id", Value::Integer(2)).ok());
  ASSERT_TRUE(rs->SetByName("name", Value::Text("Bo")).ok());
  ASSERT_TRUE(rs->SetByName("pay", Value::Null()).ok());
  ASSERT_TRUE(rs->SetByName("born", Value::Date({1985, 3, 7})).ok());
  ASSERT_TRUE(rs->Update().ok());
  ASSERT_TRUE(rs->Close().ok());
  EXPECT_EQ(Rows("select id, name, pay, born, note from staff order by id"),
            (std::vector<std::string>{"1|Ann|1520.5|<null>|none", "2|Bo|<null>|07/03/1985|none"}));
}

TEST_P(SqlContractTest, ReadingWalksRowsToTheEnd) {
  if (OnServer()) GTEST_SKIP() << kNeedsDialect;
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ((*rs->FieldByName("name"))->ToText(), "Ann");
  ASSERT_TRUE(rs->MoveNext().ok());
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->MoveNext().number(), kErrNoCurrentRecord);
  EXPECT_EQ(rs->Field(0).status().number(), kErrNoCurrentRecord);
}

TEST_P(SqlContractTest, CountQueryGivesOneRow) {
  auto rs = Open("select count(*) from staff");
  ASSERT_TRUE(rs);
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ((*rs->Field(0))->ToText(), "1");
}

TEST_P(SqlContractTest, UpdateStatementRunsAndGivesNoRows) {
  auto rs = Open("update staff set note='SqlServer'");
  ASSERT_TRUE(rs);
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->FieldCount(), 0);
  EXPECT_EQ(Rows("select note from staff"), (std::vector<std::string>{"SqlServer"}));
}

TEST_P(SqlContractTest, ClosedRecordsetRefusesWork) {
  if (OnServer()) GTEST_SKIP() << kNeedsDialect;
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  ASSERT_TRUE(rs->Close().ok());
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->Close().number(), kErrObjectClosed);
  EXPECT_EQ(rs->AddNew().number(), kErrObjectClosed);
}

TEST_P(SqlContractTest, MissingTableFailsTheOpen) {
  auto rs = sources_->OpenRecordset("select * from no_such_table", "dsn=pay");
  ASSERT_FALSE(rs.ok());
  EXPECT_FALSE(rs.status().description().empty());
}

TEST_P(SqlContractTest, MissingColumnFailsOnlyThatAssignment) {
  if (OnServer()) GTEST_SKIP() << kNeedsDialect;
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  ASSERT_TRUE(rs->AddNew().ok());
  const Status missing = rs->SetByName("no_column", Value::Text("x"));
  EXPECT_EQ(missing.number(), kErrItemNotFound);
  ASSERT_TRUE(rs->SetByName("id", Value::Integer(3)).ok());
  ASSERT_TRUE(rs->Update().ok());
  ASSERT_TRUE(rs->Close().ok());
  EXPECT_EQ(Rows("select count(*) from staff"), (std::vector<std::string>{"2"}));
}

TEST_P(SqlContractTest, RefusedRowIsTheOnlyRowLost) {
  if (OnServer()) GTEST_SKIP() << kNeedsDialect;
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  // A row is refused at its Update or, where rows go in batches, later with its tag.
  std::map<std::uint64_t, Status> refused;
  const auto take_late = [&] {
    for (LateRefusal& late : rs->TakeLateRefusals()) refused[late.tag] = late.status;
  };
  std::uint64_t tag = 0;
  for (int id : {5, 1, 6, 0}) {  // 1 is already there: a duplicate key; 0 stands for no id
    ASSERT_TRUE(rs->AddNew().ok());
    if (id != 0) {
      ASSERT_TRUE(rs->SetByName("id", Value::Integer(id)).ok());
    } else {
      ASSERT_TRUE(rs->SetByName("name", Value::Text("no id")).ok());  // null into NOT NULL
    }
    if (Status saved = rs->UpdateTagged(++tag); !saved.ok()) refused[tag] = saved;
    take_late();
  }
  ASSERT_TRUE(rs->Close().ok());
  take_late();
  ASSERT_EQ(refused.size(), 2u);
  for (std::uint64_t lost : {2, 4}) {
    ASSERT_TRUE(refused.contains(lost)) << lost;
    EXPECT_NE(refused[lost].number(), 0);
    EXPECT_FALSE(refused[lost].description().empty());
  }
  EXPECT_EQ(Rows("select id from staff order by id"), (std::vector<std::string>{"1", "5", "6"}));
}

TEST_P(SqlContractTest, AnAppenderAddsRowsAsAddNewSetAndUpdateDo) {
  if (OnServer()) GTEST_SKIP() << kNeedsDialect;
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  // A column named twice, or one the table lacks, has no appender.
  EXPECT_EQ(rs->AppenderFor(std::vector<int>{0, 0}), nullptr);
  EXPECT_EQ(rs->AppenderFor(std::vector<int>{0, 5}), nullptr);
  auto appender = rs->AppenderFor(std::vector<int>{1, 0});  // name, then id
  ASSERT_TRUE(appender);
  std::map<std::uint64_t, Status> refused;
  const Value bo = Value::Text("Bo"), cy = Value::Text("Cy");
  const Value one = Value::Integer(1), two = Value::Integer(2), three = Value::Integer(3);
  const std::vector<std::vector<const Value*>> rows = {{&bo, &two}, {&cy, &one}, {&cy, &three}};
  std::uint64_t tag = 0;
  for (const auto& row : rows) {
    if (Status saved = appender->Append(++tag, row); !saved.ok()) refused[tag] = saved;
  }
  const Status wrong = appender->Append(4, std::vector<const Value*>{&bo});
  EXPECT_EQ(wrong.kind(), ErrorKind::kInvalidArgument);
  ASSERT_TRUE(rs->Close().ok());
  for (LateRefusal& late : rs->TakeLateRefusals()) refused[late.tag] = late.status;
  // Row 2 repeats the key of the row already there; the others are saved, with the defaults.
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_TRUE(refused.contains(2));
  EXPECT_EQ(Rows("select id, name, note from staff order by id"),
            (std::vector<std::string>{"1|Ann|none", "2|Bo|none", "3|Cy|none"}));
}

TEST_P(SqlContractTest, ConnectionExecutesCommandTexts) {
  auto connection = sources_->OpenConnection("dsn=pay");
  ASSERT_TRUE(connection.ok());
  ASSERT_TRUE((*connection)->Execute("DELETE FROM staff").ok());
  EXPECT_FALSE((*connection)->Execute("this is not sql").ok());
  EXPECT_EQ(Rows("select count(*) from staff"), (std::vector<std::string>{"0"}));
}

// The scripts are texts of several statements, run as one, and begin as ALTER.sql does.
TEST_P(SqlContractTest, ATextOfSeveralStatementsRunsThemAll) {
  if (GetParam() == Engine::kMariaDb) {
    GTEST_SKIP() << "needs the server dialect (MariaDB's driver refuses several statements in "
                    "one text unless told to take them)";
  }
  auto connection = sources_->OpenConnection("dsn=pay");
  ASSERT_TRUE(connection.ok());
  const Status done = (*connection)
                          ->Execute(
                              "ALTER TABLE staff ADD grade varchar(2);\n"
                              "UPDATE staff SET grade = 'A';\n"
                              "INSERT INTO staff (id, name, grade) VALUES (2, 'Bo', 'B');\n");
  ASSERT_TRUE(done.ok()) << done.ToString();
  EXPECT_EQ(Rows("select id, name, grade from staff order by id"),
            (std::vector<std::string>{"1|Ann|A", "2|Bo|B"}));
  // A statement that fails after others fails the text, whatever became of those before it.
  EXPECT_FALSE(
      (*connection)
          ->Execute("ALTER TABLE staff ADD rank int;\nINSERT INTO staff (id) VALUES (1);\n")
          .ok());
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlContractTest,
                         ::testing::Values(Engine::kEmbedded, Engine::kOdbc, Engine::kOdbcRowByRow,
                                           Engine::kPostgres, Engine::kMariaDb),
                         [](const auto& param_info) {
                           switch (param_info.param) {
                             case Engine::kEmbedded:
                               return "Embedded";
                             case Engine::kOdbc:
                               return "Odbc";
                             case Engine::kOdbcRowByRow:
                               return "OdbcRowByRow";
                             case Engine::kPostgres:
                               return "Postgres";
                             case Engine::kMariaDb:
                               return "MariaDb";
                           }
                           return "";
                         });

}  // namespace
}  // namespace zuna::sql
