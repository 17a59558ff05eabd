// The SQL texts the embedded engine reads itself: statement forms, catalog names, database
// commands, declared types, dates, and the conversions on save; and the same texts put into the
// servers' words.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/recordset/simple_select.h"
#include "platform/sql/column_type.h"
#include "platform/sql/date_text.h"
#include "platform/sql/dialect/server_dialect.h"
#include "platform/sql/sqlite/sql_server_dialect.h"
#include "platform/sql/statement.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)zuna::recordset::ParseSimpleSelect(text);
  (void)zuna::sql::IsQuery(text);
  bool translated = false;
  (void)zuna::sql::sqlite::TranslateCatalogNames(text, &translated);
  (void)zuna::sql::sqlite::ParseDatabaseCommand(text);
  (void)zuna::sql::sqlite::SkipBlanksAndComments(text);
  for (const char* server : {"PostgreSQL", "MariaDB", "SQLite"}) {
    const auto dialect = zuna::sql::dialect::ServerDialect::ForDriver(server, "");
    (void)dialect.Translate(text);
    (void)dialect.HoldsSeveralStatements(text);
    (void)dialect.EmptySelect(text);
  }
  const zuna::sql::ColumnType type = zuna::sql::ParseColumnType(text);
  zuna::CivilDate date;
  zuna::CivilTime time;
  (void)zuna::sql::ParseDateText(text, date, time);
  for (const char* declared : {"varchar(5)", "char(3)", "int", "decimal(6,2)", "datetime", "date",
                               "bit", "float", "smallint", "money"}) {
    (void)zuna::sql::ConvertForColumn(zuna::Value::Text(text), zuna::sql::ParseColumnType(declared),
                                      "c");
  }
  (void)zuna::sql::ConvertForColumn(zuna::Value::Text(text), type, "c");
  zuna::Value number;
  if (zuna::ParseNumberText(text, number)) {
    (void)zuna::sql::ConvertForColumn(number, zuna::sql::ParseColumnType("decimal(10,2)"), "c");
  }
  return 0;
}
