#include "tools/sample_data/table_script.h"

#include <vector>

#include "tools/sample_data/table_shapes.h"

namespace zuna::sample {
namespace {

// SQL Server's datetime range, which the embedded engine keeps too (error 242 outside it).
constexpr std::string_view kFirstDateTime = "1753-01-01";
constexpr std::string_view kLastDateTime = "9999-12-31 23:59:59.999";

std::string Decimal(const ColumnSpec& column, std::string_view name) {
  return std::string(name) + "(" + std::to_string(column.length) + "," +
         std::to_string(column.decimals) + ")";
}

// Each dialect's names for the FoxPro field types; texts and decimals take their sizes.
struct TypeNames {
  std::string_view integer;      // N and F without decimals, up to 9 digits, and I
  std::string_view big_integer;  // N and F without decimals, 10 digits or more
  std::string_view decimal;      // N and F with decimals: NAME(length,decimals)
  std::string_view date_time;    // D and T
  std::string_view logical;      // L
  std::string_view memo;         // M
  std::string_view money;        // Y
};

constexpr TypeNames kSqlServerTypes = {"int", "bigint", "decimal", "datetime",
                                       "bit", "text",   "money"};
constexpr TypeNames kPostgreSqlTypes = {
    "integer",       "bigint", "numeric", "timestamp(3)", "boolean", "text",
    "numeric(19,4)",  // PostgreSQL's money reads and writes in the server's locale
};
constexpr TypeNames kMariaDbTypes = {"int",        "bigint",   "decimal",      "datetime(3)",
                                     "tinyint(1)", "longtext", "decimal(19,4)"};

const TypeNames& TypeNamesOf(SchemaDialect dialect) {
  switch (dialect) {
    case SchemaDialect::kPostgreSql:
      return kPostgreSqlTypes;
    case SchemaDialect::kMariaDb:
      return kMariaDbTypes;
    case SchemaDialect::kSqlServer:
      break;
  }
  return kSqlServerTypes;
}

std::string Header(SchemaDialect dialect) {
  switch (dialect) {
    case SchemaDialect::kSqlServer:
      return "-- The tables of the FoxPro payroll data, one per catalogued table, with every "
             "column the\r\n"
             "-- import copies. Generated from the import's catalogs: zuna-sample schema.\r\n";
    case SchemaDialect::kPostgreSql:
      return "-- The tables of the FoxPro payroll data on PostgreSQL, one per catalogued table, "
             "with every\r\n"
             "-- column the import copies. Generated from the import's catalogs:\r\n"
             "-- zuna-sample schema --dialect postgresql. Names are quoted, so they keep their "
             "case\r\n"
             "-- (\"BranchMaster\"); a date outside SQL Server's datetime range is refused, as "
             "there.\r\n";
    case SchemaDialect::kMariaDb:
      return "-- The tables of the FoxPro payroll data on MariaDB, one per catalogued table, "
             "with every\r\n"
             "-- column the import copies. Generated from the import's catalogs:\r\n"
             "-- zuna-sample schema --dialect mariadb. InnoDB, since the import's saves need "
             "transactions;\r\n"
             "-- utf8mb4, so every text of the FoxPro code page fits; a date outside SQL "
             "Server's datetime\r\n"
             "-- range is refused, as there. One statement per batch.\r\n";
  }
  return {};
}

}  // namespace

std::optional<SchemaDialect> ParseSchemaDialect(std::string_view name) {
  if (name == "sqlserver") return SchemaDialect::kSqlServer;
  if (name == "postgresql") return SchemaDialect::kPostgreSql;
  if (name == "mariadb") return SchemaDialect::kMariaDb;
  return std::nullopt;
}

std::string QuoteName(std::string_view name, SchemaDialect dialect) {
  const char open = dialect == SchemaDialect::kSqlServer    ? '['
                    : dialect == SchemaDialect::kPostgreSql ? '"'
                                                            : '`';
  const char close = open == '[' ? ']' : open;
  std::string quoted(1, open);
  for (char c : name) {
    quoted += c;
    if (c == close) quoted += c;
  }
  quoted += close;
  return quoted;
}

std::string SqlTypeOf(const ColumnSpec& column, SchemaDialect dialect) {
  const TypeNames& names = TypeNamesOf(dialect);
  switch (column.type) {
    case 'C':
      return "varchar(" + std::to_string(column.length) + ")";
    case 'N':
    case 'F':
      if (column.decimals == 0) {
        return std::string(column.length <= 9 ? names.integer : names.big_integer);
      }
      return Decimal(column, names.decimal);
    case 'D':
    case 'T':
      return std::string(names.date_time);
    case 'L':
      return std::string(names.logical);
    case 'M':
      return std::string(names.memo);
    case 'I':
      return std::string(names.integer);
    case 'Y':
      return std::string(names.money);
    default:
      return "varchar(254)";
  }
}

std::string ColumnDefinition(const ColumnSpec& column, SchemaDialect dialect) {
  const std::string name = QuoteName(column.name, dialect);
  std::string definition = name + " " + SqlTypeOf(column, dialect);
  if (dialect != SchemaDialect::kSqlServer && (column.type == 'D' || column.type == 'T')) {
    definition += " CHECK (" + name + " BETWEEN '" + std::string(kFirstDateTime) + "' AND '" +
                  std::string(kLastDateTime) + "')";
  }
  return definition;
}

std::string CreateTableScript(SchemaDialect dialect) {
  std::string script = Header(dialect);
  for (const transfer::CatalogEntry* entry : AllCatalogEntries()) {
    script += "CREATE TABLE " + QuoteName(entry->table, dialect) + " (\r\n";
    const std::vector<ColumnSpec> columns = ColumnsOf(*entry);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      script += "    " + ColumnDefinition(columns[i], dialect) +
                (i + 1 < columns.size() ? ",\r\n" : "\r\n");
    }
    script += dialect == SchemaDialect::kMariaDb
                  ? ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;\r\nGO\r\n"
                  : ");\r\nGO\r\n";
  }
  return script;
}

}  // namespace zuna::sample
