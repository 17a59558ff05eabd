// zuna-sample: the bundled sample data and the table script derived from the same shapes.
//   zuna-sample generate [--rows N] [--personnel-rows N] [--no-refused-rows] FOLDER
//   zuna-sample schema [--dialect sqlserver|postgresql|mariadb]
//   zuna-sample catalog            print the import's catalogs as JSON, for tests
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "tools/sample_data/generator.h"
#include "tools/sample_data/table_script.h"
#include "tools/sample_data/table_shapes.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: zuna-sample generate [--rows N] [--personnel-rows N] [--no-refused-rows] FOLDER\n"
    "       zuna-sample schema [--dialect sqlserver|postgresql|mariadb]\n"
    "       zuna-sample catalog\n"
    "       zuna-sample --help | --version\n"
    "\n"
    "generate  writes the 67 sample FoxPro tables into FOLDER (created if missing; its parent\n"
    "          folder must exist): N rows in each table (default 20), N personnel rows\n"
    "          (default 200), at most 10000000 each\n"
    "schema    prints the CreateTableScript.sql that matches the sample tables, for SQL Server\n"
    "          and the embedded engine or, with --dialect, for PostgreSQL or MariaDB\n"
    "catalog   prints the import's catalogs as JSON\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// One line, as the other programs say a usage error, and where the whole usage is.
int UsageError(const std::string& message) {
  std::fprintf(stderr, "zuna-sample: %s\nTry 'zuna-sample --help'.\n", message.c_str());
  return kExitUsage;
}

// A row count as typed: digits only (no sign, no blanks, no exponent) and at most kMaxRows, so a
// typing slip can neither wrap into an endless table nor fill the disk.
std::optional<std::uint64_t> ParseRowCount(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value > zuna::sample::kMaxRows) return std::nullopt;
  return value;
}

// The catalogs as JSON: one object per table with its fields, rules and log.
void PrintCatalog() {
  using zuna::transfer::FieldRule;
  std::printf("[\n");
  bool first_entry = true;
  for (const zuna::transfer::CatalogEntry* entry : zuna::sample::AllCatalogEntries()) {
    std::printf(
        "%s{\"table\": \"%s\", \"log\": %d, \"walk\": %s, \"script\": \"%s\", "
        "\"fields\": [",
        first_entry ? "" : ",\n", entry->table.c_str(), static_cast<int>(entry->log),
        entry->column_walk ? "true" : "false", entry->master_data_script.c_str());
    first_entry = false;
    for (std::size_t i = 0; i < entry->fields.size(); ++i) {
      const auto& op = entry->fields[i];
      const char* rule = op.rule == FieldRule::kCopy                 ? "copy"
                         : op.rule == FieldRule::kDateRule           ? "date"
                         : op.rule == FieldRule::kDateRuleNoNullTest ? "date-nonull"
                         : op.rule == FieldRule::kTrimAndCut         ? "trim-cut"
                         : op.rule == FieldRule::kNullAsText         ? "null-text"
                                                                     : "null-empty";
      std::printf("%s[\"%s\", \"%s\", %s]", i ? ", " : "", op.field.c_str(), rule,
                  op.logged ? "true" : "false");
    }
    std::printf("]}");
  }
  std::printf("\n]\n");
}

int Generate(int argc, char** argv) {
  zuna::sample::SampleOptions options;
  std::string folder;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitDone;
    }
    if (arg == "--rows" || arg == "--personnel-rows") {
      if (i + 1 >= argc) return UsageError(std::string(arg) + " needs a number of rows");
      const std::string_view text = argv[++i];
      const auto rows = ParseRowCount(text);
      if (!rows) {
        return UsageError(std::string(arg) + ": '" + std::string(text) +
                          "' is not a number of rows from 0 to " +
                          std::to_string(zuna::sample::kMaxRows));
      }
      (arg == "--rows" ? options.rows_per_table : options.personnel_rows) = *rows;
    } else if (arg == "--no-refused-rows") {
      options.refused_rows = false;
    } else if (folder.empty() && !arg.empty() && !arg.starts_with("-")) {
      folder = arg;
    } else {
      return UsageError("unexpected argument '" + std::string(arg) + "'");
    }
  }
  if (folder.empty()) return UsageError("generate needs a FOLDER");
  auto written = zuna::sample::GenerateSampleData(folder, options);
  if (!written.ok()) {
    std::fprintf(stderr, "zuna-sample: %s\n", written.status().ToString().c_str());
    return kExitFailed;
  }
  std::fprintf(stderr, "zuna-sample: wrote %llu tables with %llu rows into %s\n",
               static_cast<unsigned long long>(written->tables),
               static_cast<unsigned long long>(written->rows), folder.c_str());
  return kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if ((command == "--help" || command == "-h" || command == "help") && argc == 2) {
    std::fputs(kUsage, stdout);
    return kExitDone;
  }
  if (command == "--version" && argc == 2) {
    std::printf("zuna-sample %s\n", ZUNA_VERSION);
    return kExitDone;
  }
  if (command == "catalog" && argc == 2) {
    PrintCatalog();
    return kExitDone;
  }
  if (command == "schema" &&
      (argc == 2 || (argc == 4 && std::string_view(argv[2]) == "--dialect"))) {
    const auto dialect = argc == 2 ? zuna::sample::SchemaDialect::kSqlServer
                                   : zuna::sample::ParseSchemaDialect(argv[3]);
    if (!dialect) return UsageError("unknown dialect '" + std::string(argv[3]) + "'");
    const std::string script = zuna::sample::CreateTableScript(*dialect);
    std::fwrite(script.data(), 1, script.size(), stdout);
    return kExitDone;
  }
  if (command == "generate") return Generate(argc, argv);
  return command.empty() ? Usage() : UsageError("unknown command '" + std::string(command) + "'");
}
