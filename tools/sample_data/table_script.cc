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

std::string SqlServerType(const ColumnSpec& column) {
  switch (column.type) {
    case 'C':
      return "varchar(" + std::to_string(column.length) + ")";
    case 'N':
    case 'F':
      if (column.decimals == 0) return column.length <= 9 ? "int" : "bigint";
      return Decimal(column, "decimal");
    case 'D':
    case 'T':
      return "datetime";
    case 'L':
      return "bit";
    case 'M':
      return "text";
    case 'I':
      return "int";
    case 'Y':
      return "money";
    default:
      return "varchar(254)";
  }
}

std::string PostgreSqlType(const ColumnSpec& column) {
  switch (column.type) {
    case 'C':
      return "varchar(" + std::to_string(column.length) + ")";
    case 'N':
    case 'F':
      if (column.decimals == 0) return column.length <= 9 ? "integer" : "bigint";
      return Decimal(column, "numeric");
    case 'D':
    case 'T':
      return "timestamp(3)";
    case 'L':
      return "boolean";
    case 'M':
      return "text";
    case 'I':
      return "integer";
    case 'Y':
      return "numeric(19,4)";  // PostgreSQL's money reads and writes in the server's locale
    default:
      return "varchar(254)";
  }
}

std::string MariaDbType(const ColumnSpec& column) {
  switch (column.type) {
    case 'C':
      return "varchar(" + std::to_string(column.length) + ")";
    case 'N':
    case 'F':
      if (column.decimals == 0) return column.length <= 9 ? "int" : "bigint";
      return Decimal(column, "decimal");
    case 'D':
    case 'T':
      return "datetime(3)";
    case 'L':
      return "tinyint(1)";
    case 'M':
      return "longtext";
    case 'I':
      return "int";
    case 'Y':
      return "decimal(19,4)";
    default:
      return "varchar(254)";
  }
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
  switch (dialect) {
    case SchemaDialect::kSqlServer:
      return SqlServerType(column);
    case SchemaDialect::kPostgreSql:
      return PostgreSqlType(column);
    case SchemaDialect::kMariaDb:
      return MariaDbType(column);
  }
  return {};
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
