#include "platform/sql/dialect/server_dialect.h"

#include "platform/recordset/quoted_name.h"
#include "platform/sql/dialect/sql_server_text.h"
#include "platform/text/ascii.h"

namespace zuna::sql::dialect {

// What one kind of server says instead of the tool's SQL Server words.
struct DialectEntry {
  ServerFamily family;
  std::string_view name;
  std::string_view dbms_names[2];  // SQL_DBMS_NAME in lower case
  char quote;                      // the quote for names when the driver names none
  // What sys.Tables and information_schema.Columns stand for; empty: the texts go unchanged.
  std::string_view tables_select;
  std::string_view columns_select;
  // Appended to tables_select for the tool's table list: SQL Server's order of names, without
  // case (ASCII letters folded, then byte order, as the embedded engine's NOCASE). Empty when
  // tables_select orders so by itself.
  std::string_view table_list_order;
  bool literal_aliases;
  std::string_view administrative_catalog;
  std::string_view row_of_defaults;  // after "INSERT INTO t"
  std::string_view session_setup;
  std::uint32_t several_statements_option;
  bool backslash_escapes;  // inside literals, as MariaDB reads them
};

namespace {

constexpr std::string_view kStrictSession =
    "SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, "
    "',STRICT_ALL_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,ERROR_FOR_DIVISION_BY_ZERO')";

// MariaDB Connector/ODBC's (and MySQL Connector/ODBC's) MULTI_STATEMENTS bit.
constexpr std::uint32_t kMultiStatementsOption = 67108864;

constexpr DialectEntry kSqlServer = {
    .family = ServerFamily::kSqlServer,
    .name = "SQL Server",
    .dbms_names = {"microsoft sql server", ""},
    .quote = '[',
    .tables_select = "",
    .columns_select = "",
    .table_list_order = "",
    .literal_aliases = false,
    .administrative_catalog = "master",
    .row_of_defaults = " DEFAULT VALUES",
    .session_setup = "",
    .several_statements_option = 0,
    .backslash_escapes = false,
};

constexpr DialectEntry kPostgres = {
    .family = ServerFamily::kPostgres,
    .name = "PostgreSQL",
    .dbms_names = {"postgresql", ""},
    .quote = '"',
    .tables_select =
        "SELECT table_name AS name FROM information_schema.tables "
        "WHERE table_schema = current_schema() AND table_type = 'BASE TABLE'",
    .columns_select =
        "SELECT * FROM information_schema.columns WHERE table_schema = current_schema()",
    .table_list_order = " ORDER BY lower(table_name) COLLATE \"C\", table_name COLLATE \"C\"",
    .literal_aliases = true,
    .administrative_catalog = "postgres",
    .row_of_defaults = " DEFAULT VALUES",
    .session_setup = "SET DateStyle = 'ISO, DMY'",
    .several_statements_option = 0,
    .backslash_escapes = false,
};

constexpr DialectEntry kMariaDb = {
    .family = ServerFamily::kMariaDb,
    .name = "MariaDB",
    .dbms_names = {"mariadb", "mysql"},
    .quote = '`',
    .tables_select =
        "SELECT table_name AS name FROM information_schema.tables "
        "WHERE table_schema = DATABASE() AND table_type = 'BASE TABLE'",
    .columns_select = "SELECT * FROM information_schema.columns WHERE table_schema = DATABASE()",
    .table_list_order = " ORDER BY CAST(LOWER(table_name) AS BINARY), CAST(table_name AS BINARY)",
    .literal_aliases = false,
    .administrative_catalog = "",
    .row_of_defaults = " () VALUES ()",
    .session_setup = kStrictSession,
    .several_statements_option = kMultiStatementsOption,
    .backslash_escapes = true,
};

// SQLite through its ODBC driver; the embedded engine makes views of the same two selects.
constexpr DialectEntry kSqlite = {
    .family = ServerFamily::kSqlite,
    .name = "SQLite",
    .dbms_names = {"sqlite", ""},
    .quote = '"',
    .tables_select =
        "SELECT name COLLATE NOCASE AS name FROM main.sqlite_schema "
        "WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
    // data_type is the type name without its length; character_maximum_length the length of
    // character types (-1 for max), null for the others: as SQL Server's view gives them.
    .columns_select =
        "SELECT m.name AS table_name, p.name AS column_name, p.cid + 1 AS ordinal_position,"
        " lower(trim(CASE WHEN instr(p.type, '(') > 0"
        "   THEN substr(p.type, 1, instr(p.type, '(') - 1) ELSE p.type END)) AS data_type,"
        " CASE WHEN lower(p.type) LIKE '%char(%' THEN"
        "   CASE WHEN lower(p.type) LIKE '%(max)%' THEN -1 ELSE CAST(trim(substr(p.type,"
        "   instr(p.type, '(') + 1, instr(p.type, ')') - instr(p.type, '(') - 1)) AS INTEGER) END"
        "   WHEN lower(p.type) IN ('text', 'ntext') THEN 2147483647"
        "   ELSE NULL END AS character_maximum_length,"
        " CASE WHEN p.\"notnull\" THEN 'NO' ELSE 'YES' END AS is_nullable"
        " FROM main.sqlite_schema m JOIN pragma_table_info(m.name) p"
        " WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
    .table_list_order = "",
    .literal_aliases = false,
    .administrative_catalog = "master",
    .row_of_defaults = " DEFAULT VALUES",
    .session_setup = "",
    .several_statements_option = 0,
    .backslash_escapes = false,
};

constexpr const DialectEntry* kEntries[] = {&kSqlServer, &kPostgres, &kMariaDb, &kSqlite};

char CloseQuoteOf(char open) { return open == '[' ? ']' : open; }

}  // namespace

ServerDialect ServerDialect::ForDriver(std::string_view dbms_name, std::string_view quote) {
  const std::string dbms = text::LowerAscii(text::Trim(dbms_name, text::kWhitespace));
  const DialectEntry* found = &kSqlServer;  // the tool's own words, for a server it does not know
  for (const DialectEntry* entry : kEntries) {
    for (const std::string_view name : entry->dbms_names) {
      if (!name.empty() && dbms == name) found = entry;
    }
  }
  const std::string_view given = text::Trim(quote, text::kWhitespace);
  // SQL Server's texts keep their brackets, whatever its driver names as its quote.
  const char q = found == &kSqlServer || given.size() != 1 ? found->quote : given.front();
  return ServerDialect(found, q);
}

ServerDialect ServerDialect::SqlServer() { return ServerDialect(&kSqlServer, kSqlServer.quote); }

ServerDialect ServerDialect::Sqlite() { return ServerDialect(&kSqlite, kSqlite.quote); }

ServerFamily ServerDialect::family() const { return entry_->family; }

std::string_view ServerDialect::name() const { return entry_->name; }

std::string_view ServerDialect::tables_select() const { return entry_->tables_select; }

std::string_view ServerDialect::columns_select() const { return entry_->columns_select; }

std::string ServerDialect::Translate(std::string_view text) const {
  if (entry_->family == ServerFamily::kSqlServer) return std::string(text);
  if (!entry_->table_list_order.empty() && IsTableListQuery(text)) {
    return std::string(entry_->tables_select) + std::string(entry_->table_list_order);
  }
  CatalogRewrite rewrite;
  rewrite.open_quote = quote_;
  rewrite.close_quote = CloseQuoteOf(quote_);
  rewrite.sys_tables = entry_->tables_select;
  rewrite.information_schema_columns = entry_->columns_select;
  rewrite.derived_tables = true;
  rewrite.literal_aliases = entry_->literal_aliases;
  return RewriteSqlServerText(text, rewrite).text;
}

std::string ServerDialect::QuoteName(std::string_view name) const {
  return recordset::QuoteName(name, quote_, CloseQuoteOf(quote_));
}

std::string ServerDialect::EmptySelect(std::string_view table) const {
  return "SELECT * FROM " + QuoteName(table) + " WHERE 1=0";
}

std::string ServerDialect::InsertText(std::string_view table,
                                      const std::vector<std::string_view>& columns) const {
  std::string sql = "INSERT INTO " + QuoteName(table);
  if (columns.empty()) return sql + std::string(entry_->row_of_defaults);
  std::string names, marks;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    names += (i ? ", " : "") + QuoteName(columns[i]);
    marks += i ? ", ?" : "?";
  }
  return sql + " (" + names + ") VALUES (" + marks + ")";
}

std::string_view ServerDialect::administrative_catalog() const {
  return entry_->administrative_catalog;
}

std::string_view ServerDialect::session_setup() const { return entry_->session_setup; }

std::uint32_t ServerDialect::several_statements_option() const {
  return entry_->several_statements_option;
}

bool ServerDialect::HoldsSeveralStatements(std::string_view text) const {
  const bool hash_comments = entry_->family == ServerFamily::kMariaDb;
  bool after_end = false;  // a ';' was read: any statement from here on is a further one
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\'' || c == '"' || c == '`') {
      if (after_end) return true;
      for (++i; i < text.size(); ++i) {
        if (text[i] == '\\' && entry_->backslash_escapes && c != '`') {
          ++i;
        } else if (text[i] == c) {
          if (i + 1 < text.size() && text[i + 1] == c) {
            ++i;
          } else {
            break;
          }
        }
      }
      ++i;
    } else if (text.substr(i, 2) == "--" || text.substr(i, 2) == "/*") {
      i += SkipBlanksAndComments(text.substr(i));
    } else if (c == '#' && hash_comments) {
      const std::size_t end = text.find('\n', i);
      i = end == std::string_view::npos ? text.size() : end + 1;
    } else if (c == ';') {
      after_end = true;
      ++i;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else {
      if (after_end) return true;
      ++i;
    }
  }
  return false;
}

std::vector<std::string_view> AdministrativeCatalogs() {
  return {kSqlServer.administrative_catalog, kPostgres.administrative_catalog,
          kMariaDb.administrative_catalog};
}

}  // namespace zuna::sql::dialect
