#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/connection_texts.h"
#include "platform/sources/connection_string.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/sql_errors.h"
#include "platform/sql/sqlite/sqlite_connection.h"
#include "tests/support/dbf_builder.h"

namespace zuna::sql {
namespace {

using sources::Backend;
using sources::ConnectionAttribute;
using sources::DataSources;
using sources::kErrBadArguments;
using sources::ValidateServerName;

namespace fs = std::filesystem;

class EmbeddedEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sources_ = std::make_unique<DataSources>(folder_.path(), config::IniFile(),
                                             std::vector<std::string>{});
    ASSERT_TRUE(Master()->Execute("CREATE DATABASE zuna").ok());
    ASSERT_TRUE(Zuna()
                    ->Execute("CREATE TABLE [personnel-del] (emp_code varchar(10) NOT NULL, "
                              "date_birth datetime, grade char(3), basic_pay decimal(6,2), "
                              "days int, born date, PRIMARY KEY (emp_code));"
                              "CREATE TABLE BranchMaster (branch varchar(30));"
                              "CREATE TABLE acting (remarks varchar(30));"
                              "CREATE TABLE pay_scale (x int); CREATE TABLE paybill (x int);")
                    .ok());
  }

  std::shared_ptr<Connection> Master(std::string server = "") {
    auto c = sources_->OpenConnection(std::string(core::kMasterPrefix) + server);
    EXPECT_TRUE(c.ok()) << c.status().ToString();
    return c.ok() ? *c : nullptr;
  }
  std::shared_ptr<Connection> Zuna() {
    auto c = sources_->OpenConnection(core::kDatabasePrefix);
    EXPECT_TRUE(c.ok()) << c.status().ToString();
    return c.ok() ? *c : nullptr;
  }

  // Saves one row of (column, value) pairs into personnel-del and returns the save's status.
  Status Save(const std::vector<std::pair<std::string, Value>>& fields) {
    auto rs = sources_->OpenRecordset("select * from [personnel-del]", core::kPayConnection);
    if (!rs.ok()) return rs.status();
    RETURN_IF_ERROR((*rs)->AddNew());
    for (const auto& [name, value] : fields) RETURN_IF_ERROR((*rs)->SetByName(name, value));
    Status saved = (*rs)->Update();
    RETURN_IF_ERROR((*rs)->Close());
    return saved;
  }

  std::vector<std::string> Column(std::string_view query, std::string_view field) {
    std::vector<std::string> out;
    auto rs = sources_->OpenRecordset(query, core::kPayConnection);
    EXPECT_TRUE(rs.ok()) << rs.status().ToString();
    if (!rs.ok()) return out;
    for (; !(*rs)->Eof(); (void)(*rs)->MoveNext()) {
      const Value* v = *(*rs)->FieldByName(field);
      out.push_back(v->is_null() ? "<null>" : v->ToText());
    }
    return out;
  }

  testkit::TempFolder folder_;
  std::unique_ptr<DataSources> sources_;
};

TEST_F(EmbeddedEngineTest, SysTablesListsTablesInSqlServerNameOrder) {
  EXPECT_EQ(Column("SELECT * FROM sys.Tables order by name", "name"),
            (std::vector<std::string>{"acting", "BranchMaster", "pay_scale", "paybill",
                                      "personnel-del"}));
}

TEST_F(EmbeddedEngineTest, InformationSchemaAnswersTheColumnListingQuery) {
  const std::string query =
      " SELECT column_name 'Column Name',data_type 'Data Type',CHARacter_maximum_length "
      "'Maximum Length'From information_schema.Columns  WHERE column_name='";
  auto rs = sources_->OpenRecordset(query + "emp_code' and table_name = 'personnel-del'",
                                    core::kPayConnection);
  ASSERT_TRUE(rs.ok()) << rs.status().ToString();
  ASSERT_FALSE((*rs)->Eof());
  EXPECT_EQ((*rs)->FieldName(2), "Maximum Length");
  EXPECT_EQ((*(*rs)->Field(1))->ToText(), "varchar");
  EXPECT_EQ((*(*rs)->Field(2))->ToText(), "10");

  auto dated = sources_->OpenRecordset(query + "date_birth' and table_name = 'personnel-del'",
                                       core::kPayConnection);
  ASSERT_TRUE(dated.ok());
  EXPECT_EQ((*(*dated)->Field(1))->ToText(), "datetime");
  EXPECT_TRUE((*(*dated)->Field(2))->is_null());
}

TEST_F(EmbeddedEngineTest, CatalogNamesInsideLiteralsStayText) {
  EXPECT_EQ(Column("SELECT 'sys.Tables' AS t", "t"), (std::vector<std::string>{"sys.Tables"}));
}

TEST_F(EmbeddedEngineTest, TextDatesAreReadDayFirstAndStoredAsIso) {
  ASSERT_TRUE(Save({{"emp_code", Value::Text("E1")},
                    {"date_birth", Value::Text("01/01/1900")},
                    {"born", Value::Text("07/03/1985")}})
                  .ok());
  ASSERT_TRUE(Save({{"emp_code", Value::Text("E2")},
                    {"date_birth", Value::DateTime({2001, 1, 2}, {12, 30, 15, 0})}})
                  .ok());
  EXPECT_EQ(Column("select * from [personnel-del] order by emp_code", "date_birth"),
            (std::vector<std::string>{"01/01/1900", "02/01/2001 12:30:15"}));
  EXPECT_EQ(Column("select CAST(date_birth AS TEXT) AS raw, born from [personnel-del] "
                   "order by emp_code",
                   "raw"),
            (std::vector<std::string>{"1900-01-01 00:00:00", "2001-01-02 12:30:15"}));
  EXPECT_EQ(Column("select born from [personnel-del] order by emp_code", "born"),
            (std::vector<std::string>{"07/03/1985", "<null>"}));
}

TEST_F(EmbeddedEngineTest, ValuesSqlServerRefusesAreRefused) {
  struct Case {
    std::string column;
    Value value;
    long error;
  };
  const std::vector<Case> cases = {
      {"date_birth", Value::Text("31/02/2020"), kErrDateConversion},
      {"date_birth", Value::Text("not a date"), kErrDateConversion},
      {"date_birth", Value::Date({1700, 1, 1}), kErrDateOutOfRange},
      {"grade", Value::Text("ABCD"), kErrTruncation},
      {"basic_pay", Value::Decimal(123456, 1), kErrArithmeticOverflow},
      {"basic_pay", Value::Text(std::string(37, '9')), kErrArithmeticOverflow},
      {"days", Value::Text("x1"), kErrTypeConversion},
      {"days", Value::Integer(int64_t{1} << 40), kErrArithmeticOverflow},
  };
  int n = 0;
  for (const Case& c : cases) {
    const Status st =
        Save({{"emp_code", Value::Text("R" + std::to_string(n++))}, {c.column, c.value}});
    EXPECT_EQ(st.number(), c.error) << c.column << " " << c.value.ToText() << ": " << st.ToString();
    EXPECT_EQ(st.kind(), ErrorKind::kRefused);
  }
  EXPECT_EQ(Save({{"date_birth", Value::Text("01/01/1900")}}).number(), kErrNullNotAllowed);
  ASSERT_TRUE(Save({{"emp_code", Value::Text("D")}}).ok());
  EXPECT_EQ(Save({{"emp_code", Value::Text("D")}}).number(), kErrPrimaryKey);
  EXPECT_EQ(Column("select count(*) AS n from [personnel-del]", "n"),
            (std::vector<std::string>{"1"}));
}

TEST_F(EmbeddedEngineTest, TextFitsByTrimmingOnlyBlanksAndCharIsPadded) {
  ASSERT_TRUE(Save({{"emp_code", Value::Text("E1        ")}, {"grade", Value::Text("A")}}).ok());
  ASSERT_TRUE(Save({{"emp_code", Value::Text("E2")},
                    {"basic_pay", Value::Decimal(152050, 2)},
                    {"days", Value::Text(" 42 ")}})
                  .ok());
  EXPECT_EQ(Column("select * from [personnel-del] order by emp_code", "emp_code"),
            (std::vector<std::string>{"E1        ", "E2"}));
  EXPECT_EQ(Column("select * from [personnel-del] order by emp_code", "grade"),
            (std::vector<std::string>{"A  ", "<null>"}));
  EXPECT_EQ(Column("select * from [personnel-del] order by emp_code", "basic_pay"),
            (std::vector<std::string>{"<null>", "1520.5"}));
  EXPECT_EQ(Column("select * from [personnel-del] order by emp_code", "days"),
            (std::vector<std::string>{"<null>", "42"}));
}

TEST_F(EmbeddedEngineTest, DatabasesAreFilesOfTheServerFolder) {
  EXPECT_TRUE(fs::exists(folder_ / "zuna.db"));
  const Status again = Master()->Execute("CREATE DATABASE zuna");
  EXPECT_EQ(again.number(), kErrDatabaseExists);
  EXPECT_NE(again.description().find("already exists"), std::string::npos);

  fs::create_directory(folder_ / "srv2");
  // File options after the name belong to the command, up to its ';'.
  ASSERT_TRUE(Master("srv2")->Execute("CREATE DATABASE [other] ON PRIMARY (NAME = other);").ok());
  EXPECT_TRUE(fs::exists(folder_ / "srv2" / "other.db"));
  ASSERT_TRUE(Master("srv2")->Execute("DROP DATABASE other;").ok());
  EXPECT_FALSE(fs::exists(folder_ / "srv2" / "other.db"));
  EXPECT_EQ(Master("srv2")->Execute("DROP DATABASE other").number(), kErrCannotDropDatabase);
}

TEST_F(EmbeddedEngineTest, OpeningFailsForMissingCatalogOrServer) {
  auto missing_catalog =
      sources_->OpenConnection("Provider=SQLOLEDB.1;Initial Catalog=payroll;Data Source=");
  ASSERT_FALSE(missing_catalog.ok());
  EXPECT_EQ(missing_catalog.status().number(), kErrCannotOpenDatabase);
  EXPECT_NE(missing_catalog.status().description().find("Cannot open database"), std::string::npos);

  auto missing_server = sources_->OpenConnection(std::string(core::kMasterPrefix) + "nosuch");
  ASSERT_FALSE(missing_server.ok());
  EXPECT_EQ(missing_server.status().number(), kErrServerNotFound);

  // Blanks are passed on as typed: " " is another folder than the program folder.
  EXPECT_FALSE(sources_->OpenConnection(std::string(core::kDatabasePrefix) + " ").ok());
}

TEST_F(EmbeddedEngineTest, ServerNamesThatCouldChangeTheConnectionStringAreRefused) {
  for (const std::string& name :
       std::vector<std::string>{"srv;Initial Catalog=master", "srv}", "{srv", "a=b",
                                std::string("srv\x01", 4), std::string("srv\n")}) {
    auto c = sources_->OpenConnection(std::string(core::kDatabasePrefix) + name);
    ASSERT_FALSE(c.ok()) << name;
    EXPECT_EQ(c.status().number(), kErrBadArguments);
    EXPECT_NE(c.status().description().find("is refused"), std::string::npos);
  }
  EXPECT_TRUE(ValidateServerName("ZUNASRV\\SQLEXPRESS").ok());
  EXPECT_TRUE(ValidateServerName("").ok());
}

TEST_F(EmbeddedEngineTest, UseSwitchesTheConnectionsDatabase) {
  auto master = Master();
  ASSERT_TRUE(master->Execute("USE zuna; CREATE TABLE made_after_use (a int);").ok());
  EXPECT_EQ(Column("SELECT count(*) AS n FROM sys.Tables WHERE name = 'made_after_use'", "n"),
            (std::vector<std::string>{"1"}));
}

TEST_F(EmbeddedEngineTest, SavedRowsSurviveACrashWithinTheCommitBound) {
  sqlite::SqliteOptions options;
  options.rows_per_commit = 100;
  options.max_commit_delay = std::chrono::hours(1);
  sources_->set_sqlite_options(options);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto rs = sources_->OpenRecordset("select * from acting", core::kPayConnection);
    if (!rs.ok()) ::_exit(2);
    for (int i = 0; i < 1050; ++i) {
      if (!(*rs)->AddNew().ok() || !(*rs)->SetByName("remarks", Value::Integer(i)).ok() ||
          !(*rs)->Update().ok()) {
        ::_exit(3);
      }
    }
    ::_exit(0);  // dies without closing anything, as a crash would
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  const auto counted = Column("select count(*) AS n from acting", "n");
  ASSERT_EQ(counted.size(), 1u);
  EXPECT_EQ(counted[0], "1000");  // ten full groups committed, the last 50 lost
}

// The engine's process-wide settings take effect only before its first use; made later, they
// change nothing and say so. Run in a child, where the engine can be shut down and begun afresh.
TEST(EngineSettingsTest, AllocatorStatisticsOffOnlyBeforeFirstUse) {
  testkit::TempFolder folder;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (sqlite3_shutdown() != SQLITE_OK) ::_exit(2);
    if (!sqlite::ConfigureEngine()) ::_exit(3);
    auto db = sqlite::SqliteConnection::OpenCatalog(folder.path(), "master");
    if (!db.ok()) ::_exit(4);
    if (!(*db)->Execute("CREATE TABLE t (x varchar(30)); INSERT INTO t VALUES ('a row')").ok()) {
      ::_exit(5);
    }
    if (sqlite3_memory_used() != 0) ::_exit(6);  // nothing counted
    if (sqlite::ConfigureEngine()) ::_exit(7);   // in use: refused
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(EngineSettingsTest, EveryProgramWithTheEngineKeepsNoAllocatorStatistics) {
  // Set as the program loaded, in this test program as in both front ends: nothing to call.
  testkit::TempFolder folder;
  auto db = sqlite::SqliteConnection::OpenCatalog(folder.path(), "master");
  ASSERT_TRUE(db.ok()) << db.status().ToString();
  ASSERT_TRUE(
      (*db)->Execute("CREATE TABLE t (x varchar(30)); INSERT INTO t VALUES ('a row')").ok());
  EXPECT_EQ(sqlite3_memory_used(), 0);
}

class DataSourcesTest : public ::testing::Test {
 protected:
  DataSources With(std::string ini, std::vector<std::string> odbc = {}) {
    return DataSources(folder_.path(), config::IniFile::Parse(ini), std::move(odbc));
  }
  testkit::TempFolder folder_;
};

TEST_F(DataSourcesTest, DefaultsServeAFreshInstallation) {
  const DataSources sources = With("");
  auto pay = sources.Resolve("dsn=pay");
  ASSERT_TRUE(pay.ok());
  EXPECT_EQ(pay->backend, Backend::kSqlite);
  EXPECT_EQ(pay->path, folder_ / "zuna.db");
  auto report = sources.Resolve("DSN=pay;uid=;pwd=;Exclusive=Yes");
  ASSERT_TRUE(report.ok());
  EXPECT_EQ(report->path, folder_ / "zuna.db");
  auto fox = sources.Resolve("dsn=foxpay");
  ASSERT_TRUE(fox.ok());
  EXPECT_EQ(fox->backend, Backend::kFoxPro);
  EXPECT_EQ(fox->foxpro.data_folder, folder_ / "zuna");
  EXPECT_TRUE(fox->foxpro.skip_deleted);
  EXPECT_EQ(sources.DataFolder(), folder_ / "zuna");
  EXPECT_EQ(sources.FixedServerName(), core::kFixedServerName);
}

TEST_F(DataSourcesTest, ZunaIniBeatsUnixOdbcWhichBeatsDefaults) {
  const std::string ini =
      "[foxpay]\nSourceDB = data\nCodePage = 866\nDeleted = No\n"
      "[pay]\nDriver = odbc\nDSN = payroll\n[server]\nFixedServer = main\n";
  const DataSources sources = With(ini, {"pay", "foxpay", "other"});
  auto pay = sources.Resolve("dsn=pay");
  ASSERT_TRUE(pay.ok());
  EXPECT_EQ(pay->backend, Backend::kOdbc);
  EXPECT_EQ(pay->odbc_connection, "DSN=payroll");
  auto fox = sources.Resolve("dsn=foxpay");
  ASSERT_TRUE(fox.ok());
  EXPECT_EQ(fox->foxpro.data_folder, folder_ / "data");
  EXPECT_EQ(fox->foxpro.code_page, 866);
  EXPECT_FALSE(fox->foxpro.skip_deleted);
  EXPECT_EQ(sources.FixedServerName(), "main");

  auto other = With("", {"Other"}).Resolve("dsn=other");
  ASSERT_TRUE(other.ok());
  EXPECT_EQ(other->backend, Backend::kOdbc);
  EXPECT_EQ(other->odbc_connection, "dsn=other");
}

TEST_F(DataSourcesTest, AFoxProSettingReadOnlyInPartOrGuessedIsRefused) {
  for (const std::string ini : {"[foxpay]\nCodePage = 1252abc\n", "[foxpay]\nCodePage = -5\n",
                                "[foxpay]\nDeleted = False\n"}) {
    const auto fox = With(ini).Resolve("dsn=foxpay");
    EXPECT_EQ(fox.status().number(), sources::kErrBadArguments) << ini;
  }
  EXPECT_EQ(With("[foxpay]\nCodePage = 1252abc\n").Resolve("dsn=foxpay").status().description(),
            "zuna.ini [foxpay]: CodePage \"1252abc\" is not a number");
  const auto blank = With("[foxpay]\nCodePage =\nDeleted = NO\n").Resolve("dsn=foxpay");
  ASSERT_TRUE(blank.ok());
  EXPECT_FALSE(blank->foxpro.code_page.has_value());
  EXPECT_FALSE(blank->foxpro.skip_deleted);
}

TEST_F(DataSourcesTest, AnEmptyFixedServerMeansTheBuiltInOne) {
  for (const std::string ini :
       {"[server]\nFixedServer =\n",
        "[server]\nFixedServer =         ; default ZUNASRV\\SQLEXPRESS\n"}) {
    EXPECT_EQ(With(ini).FixedServerName(), core::kFixedServerName) << ini;
  }
}

TEST_F(DataSourcesTest, UnknownNamesAndBadSettingsAreErrors) {
  auto unknown = With("").Resolve("dsn=nowhere");
  ASSERT_FALSE(unknown.ok());
  EXPECT_NE(unknown.status().description().find("IM002"), std::string::npos);
  EXPECT_FALSE(With("[pay]\nDriver = oracle\n").Resolve("dsn=pay").ok());
  EXPECT_FALSE(With("[foxpay]\nCodePage = cyrillic\n").Resolve("dsn=foxpay").ok());
  EXPECT_FALSE(With("").Resolve("uid=sa").ok());
}

TEST_F(DataSourcesTest, ServerConnectionStringTemplateGetsServerAndCatalog) {
  const DataSources sources = With(
      "[server]\nDriver = odbc\nConnectionString = Driver=SQLite3;"
      "Database=" +
      folder_.path().string() + "/{server}-{catalog}.db\n");
  auto connection = sources.OpenConnection(std::string(core::kDatabasePrefix) + "box");
  ASSERT_TRUE(connection.ok()) << connection.status().ToString();
  ASSERT_TRUE((*connection)->Execute("CREATE TABLE t (a int)").ok());
  EXPECT_TRUE(fs::exists(folder_ / "box-zuna.db"));
}

TEST(ConnectionAttributeTest, KeysCompareWithoutCase) {
  EXPECT_EQ(ConnectionAttribute("DSN=pay;uid=;pwd=;Exclusive=Yes", "dsn"), "pay");
  EXPECT_EQ(ConnectionAttribute("Provider=X;Initial Catalog=zuna;", "initial catalog"), "zuna");
  EXPECT_EQ(ConnectionAttribute("uid=", "UID"), "");
  EXPECT_FALSE(ConnectionAttribute("a=b", "c").has_value());
}

}  // namespace
}  // namespace zuna::sql
