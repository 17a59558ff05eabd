// zuna-sample: the bundled sample data and the table script derived from the same shapes.
//   zuna-sample generate [--rows N] [--personnel-rows N] FOLDER
//   zuna-sample schema
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/sample_data/generator.h"
#include "tools/sample_data/table_shapes.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: zuna-sample generate [--rows N] [--personnel-rows N] FOLDER\n"
               "       zuna-sample schema\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "schema" && argc == 2) {
    const std::string script = zuna::sample::CreateTableScript();
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
