// One suite of recordset semantics, run against the embedded engine, against ODBC with Debian's
// SQLite ODBC driver (both with parameter arrays and with every row sent on its own), and against
// the PostgreSQL and MariaDB servers ctest starts, through their ODBC drivers; PostgreSQL also
// with the import's rows through libpq's COPY (PostgresCopy, the default for it).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/sources/data_sources.h"
#include "platform/sql/odbc/data_source_info.h"
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

enum class Engine { kEmbedded, kOdbc, kOdbcRowByRow, kPostgres, kPostgresCopy, kMariaDb };

bool IsPostgres(Engine engine) {
  return engine == Engine::kPostgres || engine == Engine::kPostgresCopy;
}

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
      case Engine::kPostgresCopy:
      case Engine::kMariaDb: {
        const auto server =
            IsPostgres(GetParam()) ? testkit::TestServer::kPostgres : testkit::TestServer::kMariaDb;
        const auto dsn = testkit::TestServerDataSource(server);
        if (!dsn) GTEST_SKIP() << "the test servers are not running (ctest starts them)";
        ini =
            config::IniFile::Parse("[pay]\nDriver = odbc\nDSN = " + *dsn + "\n" +
                                   (GetParam() == Engine::kPostgres ? "PostgresCopy = No\n" : ""));
        if (IsPostgres(GetParam())) born_type = "timestamp";
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

  std::unique_ptr<Recordset> Open(std::string_view source) {
    auto rs = sources_->OpenRecordset(source, "dsn=pay");
    EXPECT_TRUE(rs.ok()) << rs.status().ToString();
    return rs.ok() ? std::move(rs).value() : nullptr;
  }

  // `name` quoted for a script of this engine.
  std::string Quote(std::string_view name) const {
    const char quote = GetParam() == Engine::kMariaDb ? '`' : '"';
    return quote + std::string(name) + quote;
  }

  // Runs a script text of this engine on a connection of its own.
  void Run(const std::string& text) {
    auto connection = sources_->OpenConnection("dsn=pay");
    ASSERT_TRUE(connection.ok()) << connection.status().ToString();
    const Status done = (*connection)->Execute(text);
    ASSERT_TRUE(done.ok()) << text << ": " << done.ToString();
  }

  // The type of `kind` of column in this engine's words: a SQL Server type, or what the servers'
  // scripts declare for it.
  std::string TypeOf(std::string_view kind) const {
    const bool postgres = IsPostgres(GetParam());
    const bool maria = GetParam() == Engine::kMariaDb;
    if (kind == "datetime") return postgres ? "timestamp(3)" : maria ? "datetime(3)" : "datetime";
    if (kind == "bit") return postgres ? "boolean" : maria ? "tinyint(1)" : "bit";
    if (kind == "text") return maria ? "longtext" : "text";
    return std::string(kind);
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
  auto rs = Open("select * from staff");
  ASSERT_TRUE(rs);
  ASSERT_EQ(rs->FieldCount(), 5);
  EXPECT_EQ(rs->FieldName(0), "id");
  EXPECT_EQ(rs->FieldName(4), "note");
  EXPECT_EQ(rs->FindField("NAME"), 1);  // names compare without case
  EXPECT_EQ(rs->FindField("missing"), -1);
}

TEST_P(SqlContractTest, AddedRowsAreSavedWithNullsAndDefaults) {
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

// Names keep their case and their hyphen: the tool's bracketed names reach the tables the scripts
// created, to read, add, count and update.
TEST_P(SqlContractTest, BracketedNamesReachTheirTablesWithTheirCase) {
  for (const std::string name : {"personnel-del", "BranchMaster"}) {
    Run("DROP TABLE IF EXISTS " + Quote(name));
    Run("CREATE TABLE " + Quote(name) + " (id int, code varchar(5))");
    auto rs = Open("select * from [" + name + "]");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->FieldName(1), "code");
    ASSERT_TRUE(rs->AddNew().ok());
    ASSERT_TRUE(rs->SetByName("id", Value::Integer(7)).ok());
    ASSERT_TRUE(rs->SetByName("code", Value::Text("x")).ok());
    ASSERT_TRUE(rs->Update().ok());
    ASSERT_TRUE(rs->Close().ok());
    EXPECT_TRUE(rs->TakeLateRefusals().empty());
    EXPECT_EQ(Rows("select count(*) from [" + name + "]"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(Rows("update [" + name + "] set code='done'").size(), 0u);
    EXPECT_EQ(Rows("select id, code from [" + name + "]"), (std::vector<std::string>{"7|done"}));
  }
}

// The report's table list: every table by the name it was created with, in SQL Server's order
// of names, without case (a hyphen and an underscore before the letters).
TEST_P(SqlContractTest, TheTableListNamesTablesAsCreatedInSqlServersOrder) {
  const std::vector<std::string> created = {"personnel-del", "BranchMaster", "pay_bill",
                                            "payscale",      "bank",         "personnel"};
  for (const std::string& name : created) {
    Run("DROP TABLE IF EXISTS " + Quote(name));
    Run("CREATE TABLE " + Quote(name) + " (id int)");
  }
  std::vector<std::string> listed;
  for (const std::string& name : Rows("SELECT * FROM sys.Tables order by name")) {
    // Other tests' tables may share a server's database.
    if (name == "staff" || std::find(created.begin(), created.end(), name) != created.end()) {
      listed.push_back(name);
    }
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"bank", "BranchMaster", "pay_bill", "payscale",
                                              "personnel", "personnel-del", "staff"}));
}

// The column listing's query: a column's type and length from the database's own catalog.
TEST_P(SqlContractTest, TheColumnQueryGivesTypeAndLength) {
  const std::vector<std::string> rows = Rows(
      " SELECT column_name 'Column Name',data_type 'Data Type',CHARacter_maximum_length "
      "'Maximum Length'From information_schema.Columns  WHERE column_name='name' and "
      "table_name = 'staff'");
  const std::string type = IsPostgres(GetParam()) ? "character varying" : "varchar";
  EXPECT_EQ(rows, (std::vector<std::string>{"name|" + type + "|10"}));
}

// What a row reads back as is what it was saved as, on every engine: texts with their trailing
// blanks and their non-ASCII letters, long memos, decimals, dates and datetimes to the
// millisecond, logicals and nulls.
TEST_P(SqlContractTest, ValuesReadBackAsTheyWereSaved) {
  Run("DROP TABLE IF EXISTS " + Quote("kinds"));
  Run("CREATE TABLE " + Quote("kinds") + " (id int, code varchar(12), amount decimal(10,2), " +
      "born " + TypeOf("datetime") + ", since date, flag " + TypeOf("bit") + ", memo " +
      TypeOf("text") + ")");
  std::string memo;
  for (int i = 0; i < 900; ++i) memo += "Zeile " + std::to_string(i) + " \xc3\xbc\xe2\x82\xac;";
  struct Row {
    Value code, amount, born, since, flag, memo;
  };
  const std::vector<Row> rows = {
      {Value::Text("M\xc3\xbcller   "), Value::Decimal(15205, 1), Value::Date({1900, 1, 1}),
       Value::Date({2001, 2, 3}), Value::Boolean(true), Value::Text(memo)},
      {Value::Null(), Value::Null(), Value::Null(), Value::Null(), Value::Null(), Value::Null()},
      {Value::Text("A"), Value::Decimal(-25, 2), Value::DateTime({2001, 2, 3}, {4, 5, 6, 789}),
       Value::Date({9999, 12, 31}), Value::Boolean(false), Value::Text("")},
  };
  auto rs = Open("select * from kinds");
  ASSERT_TRUE(rs);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_TRUE(rs->AddNew().ok());
    ASSERT_TRUE(rs->SetByName("id", Value::Integer(static_cast<std::int64_t>(i + 1))).ok());
    ASSERT_TRUE(rs->SetByName("code", rows[i].code).ok());
    ASSERT_TRUE(rs->SetByName("amount", rows[i].amount).ok());
    ASSERT_TRUE(rs->SetByName("born", rows[i].born).ok());
    ASSERT_TRUE(rs->SetByName("since", rows[i].since).ok());
    ASSERT_TRUE(rs->SetByName("flag", rows[i].flag).ok());
    ASSERT_TRUE(rs->SetByName("memo", rows[i].memo).ok());
    ASSERT_TRUE(rs->Update().ok());
  }
  ASSERT_TRUE(rs->Close().ok());
  EXPECT_TRUE(rs->TakeLateRefusals().empty());
  EXPECT_EQ(Rows("select id, code, amount, born, since from kinds order by id"),
            (std::vector<std::string>{"1|M\xc3\xbcller   |1520.5|01/01/1900|03/02/2001",
                                      "2|<null>|<null>|<null>|<null>",
                                      "3|A|-0.25|03/02/2001 04:05:06|31/12/9999"}));
  // A logical reads back as a logical or as the number a bit holds (MariaDB's tinyint(1), the
  // embedded engine's bit), by the engine's column type.
  std::vector<double> flags;
  for (auto flag = Open("select flag from kinds where flag is not null order by id");
       flag && !flag->Eof(); (void)flag->MoveNext()) {
    flags.push_back((*flag->Field(0))->AsDouble());
  }
  EXPECT_EQ(flags, (std::vector<double>{1, 0}));
  auto read = Open("select born, memo from kinds order by id");
  ASSERT_TRUE(read);
  EXPECT_EQ((*read->Field(1))->text(), memo);
  ASSERT_TRUE(read->MoveNext().ok());
  ASSERT_TRUE(read->MoveNext().ok());
  EXPECT_EQ((*read->Field(0))->time().millisecond, 789);
  EXPECT_EQ((*read->Field(1))->ToText(), "");
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
                                           Engine::kPostgres, Engine::kPostgresCopy,
                                           Engine::kMariaDb),
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
                             case Engine::kPostgresCopy:
                               return "PostgresCopy";
                             case Engine::kMariaDb:
                               return "MariaDb";
                           }
                           return "";
                         });

}  // namespace
}  // namespace zuna::sql
