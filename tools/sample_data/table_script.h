#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/sample_data/dbf_writer.h"

namespace zuna::sample {

// The servers a table script is written for. kSqlServer is T-SQL, which the embedded engine
// reads too; the others are the scripts delivered in the program folder's postgresql/ and
// mariadb/ folders.
enum class SchemaDialect { kSqlServer, kPostgreSql, kMariaDb };

// The dialect called `name` ("sqlserver", "postgresql", "mariadb"), or nothing.
std::optional<SchemaDialect> ParseSchemaDialect(std::string_view name);

// `name` quoted as the dialect quotes a name, its case kept: [a]]b], "a""b", `a``b`.
std::string QuoteName(std::string_view name, SchemaDialect dialect);

// The type that holds a column's values on the dialect's server. SQL Server: varchar(n), int,
// bigint, decimal(w,d), datetime, bit, text for a memo, money. The others hold the same values:
// PostgreSQL integer, numeric(w,d), timestamp(3), boolean, text; MariaDB int, decimal(w,d),
// datetime(3), tinyint(1), longtext (a memo may be longer than text's 64 KB).
std::string SqlTypeOf(const ColumnSpec& column, SchemaDialect dialect);

// A column's definition in a CREATE TABLE or ALTER TABLE ADD: its quoted name, its type and, for
// a date on PostgreSQL and MariaDB, a check that keeps it within SQL Server's datetime range
// (1753 to 9999), so that every target refuses the same rows.
std::string ColumnDefinition(const ColumnSpec& column, SchemaDialect dialect);

// The script that creates all 67 tables, one batch per table, batches separated by GO lines,
// lines ended by CR LF. MariaDB's tables are InnoDB (the import's saves need transactions) in
// utf8mb4.
std::string CreateTableScript(SchemaDialect dialect);

}  // namespace zuna::sample
