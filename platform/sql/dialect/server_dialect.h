#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zuna::sql::dialect {

enum class ServerFamily : std::uint8_t { kSqlServer, kPostgres, kMariaDb, kSqlite };

struct DialectEntry;

// The SQL a database speaks, as far as the tool's own texts go, chosen once for a connection from
// what its driver reports. The tool writes SQL Server's words (bracketed names, sys.Tables,
// information_schema.Columns of the whole server, string literals as aliases). SQL Server, and a
// database the tool does not know, receives them unchanged; PostgreSQL, MariaDB (and MySQL) and
// SQLite get them translated: names quoted with the driver's quote character, keeping their
// case, and the two catalog views answered from the database's own catalog for the current
// schema or database. Scripts are written for their server and are not translated.
class ServerDialect {
 public:
  // The dialect of the database whose driver reports `dbms_name` (SQL_DBMS_NAME) and `quote`
  // (SQL_IDENTIFIER_QUOTE_CHAR: " " or empty when it quotes no names).
  static ServerDialect ForDriver(std::string_view dbms_name, std::string_view quote);
  static ServerDialect SqlServer();
  static ServerDialect Sqlite();

  ServerFamily family() const;
  // The server's name for messages: "SQL Server", "PostgreSQL", "MariaDB", "SQLite".
  std::string_view name() const;

  // A text of the tool (a recordset's select, count or update, a catalog query) in this
  // database's words. The table list "SELECT * FROM sys.Tables order by name" comes in SQL
  // Server's order of names: without case.
  std::string Translate(std::string_view text) const;

  // The selects that answer sys.Tables and information_schema.Columns here; empty for SQL Server.
  std::string_view tables_select() const;
  std::string_view columns_select() const;

  // `name` as a quoted name of this database, safe whatever it holds.
  std::string QuoteName(std::string_view name) const;

  // A query without rows whose columns are the table's, in table order.
  std::string EmptySelect(std::string_view table) const;

  // "INSERT INTO t (a, b) VALUES (?, ?)", or the database's insert of a row of defaults when
  // `columns` is empty.
  std::string InsertText(std::string_view table,
                         const std::vector<std::string_view>& columns) const;

  // The catalog a connection opens to create a database: "master" (SQL Server), "postgres"
  // (PostgreSQL), or empty for none (MariaDB, which connects to no database).
  std::string_view administrative_catalog() const;

  // The statement that prepares a new session for the tool's values, or empty: MariaDB is made
  // strict, so that it refuses what it would otherwise store changed; PostgreSQL reads a text
  // date day first, as the embedded engine does.
  std::string_view session_setup() const;

  // The bit of MariaDB's (and MySQL's) driver option OPTION that lets it take a text of several
  // statements; 0 for a driver that takes them as they come.
  std::uint32_t several_statements_option() const;

  // True when `text`, in this database's own words, holds more than one statement: a ';' outside
  // literals, quoted names and comments with more than blanks and comments after it.
  bool HoldsSeveralStatements(std::string_view text) const;

 private:
  ServerDialect(const DialectEntry* entry, char quote) : entry_(entry), quote_(quote) {}

  const DialectEntry* entry_;
  char quote_;  // the driver's quote character for names
};

// The administrative catalogs of the known servers, in the order create-database tries them when
// it cannot yet know which server it reaches: "master", "postgres", and none.
std::vector<std::string_view> AdministrativeCatalogs();

}  // namespace zuna::sql::dialect
