// zuna-sample: the bundled sample data and the table script derived from the same shapes.
//   zuna-sample generate [--rows N] [--personnel-rows N] [--no-refused-rows] FOLDER
//   zuna-sample schema [--dialect sqlserver|postgresql|mariadb]
//   zuna-sample catalog            print the import's catalogs as JSON, for tests
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/sample_data/generator.h"
#include "tools/sample_data/table_script.h"
#include "tools/sample_data/table_shapes.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: zuna-sample generate [--rows N] [--personnel-rows N] [--no-refused-rows] "
               "FOLDER\n"
               "       zuna-sample schema [--dialect sqlserver|postgresql|mariadb]\n");
  return 2;
}

// The catalogs as JSON: one object per table with its fields, rules and log.
void PrintCatalog() {
  using zuna::import::FieldRule;
  std::printf("[\n");
  bool first_entry = true;
  for (const zuna::import::CatalogEntry* entry : zuna::sample::AllCatalogEntries()) {
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

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "catalog" && argc == 2) {
    PrintCatalog();
    return 0;
  }
  if (command == "schema" &&
      (argc == 2 || (argc == 4 && std::string_view(argv[2]) == "--dialect"))) {
    const auto dialect = argc == 2 ? zuna::sample::SchemaDialect::kSqlServer
                                   : zuna::sample::ParseSchemaDialect(argv[3]);
    if (!dialect) return Usage();
    const std::string script = zuna::sample::CreateTableScript(*dialect);
    std::fwrite(script.data(), 1, script.size(), stdout);
    return 0;
  }
  if (command != "generate") return Usage();
  zuna::sample::SampleOptions options;
  std::string folder;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "--rows" || arg == "--personnel-rows") && i + 1 < argc) {
      try {
        (arg == "--rows" ? options.rows_per_table : options.personnel_rows) =
            std::stoull(argv[++i]);
      } catch (const std::exception&) {
        return Usage();
      }
    } else if (arg == "--no-refused-rows") {
      options.refused_rows = false;
    } else if (folder.empty() && !arg.starts_with("-")) {
      folder = arg;
    } else {
      return Usage();
    }
  }
  if (folder.empty()) return Usage();
  const zuna::Status status = zuna::sample::GenerateSampleData(folder, options);
  if (!status.ok()) {
    std::fprintf(stderr, "%s\n", status.ToString().c_str());
    return 1;
  }
  return 0;
}
