#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zuna::sql::postgres {

// The COPY lines of one table and set of columns, with each row's tag.
struct CopyBatch {
  std::string copy_sql;  // "COPY "t" ("a", "b") FROM STDIN"; empty while nothing is queued
  std::string table;
  std::vector<int> assigned;
  std::string data;
  std::vector<std::size_t> line_ends;  // where each row's line ends in `data`
  std::vector<std::uint64_t> tags;
  std::chrono::steady_clock::time_point since;  // when its first row came

  // Empties it; the buffers keep their room for the next batch.
  void Clear() {
    copy_sql.clear();
    table.clear();
    assigned.clear();
    data.clear();
    line_ends.clear();
    tags.clear();
  }
};

}  // namespace zuna::sql::postgres
