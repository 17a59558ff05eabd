// zuna-sample: the bundled sample data and the table script derived from the same shapes.
//   zuna-sample schema             print CreateTableScript.sql
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/sample_data/table_shapes.h"

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "schema") {
    const std::string script = zuna::sample::CreateTableScript();
    std::fwrite(script.data(), 1, script.size(), stdout);
    return 0;
  }
  std::fprintf(stderr, "usage: zuna-sample schema\n");
  return 2;
}
