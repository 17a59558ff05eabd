#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"

namespace zuna::verify {

// What the import's failure log says about one table.
struct TableLog {
  struct RowRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::string message;
  };
  std::vector<std::uint64_t> refused_rows;  // sorted
  std::vector<RowRange> refused_ranges;
  bool every_row_refused = false;  // a line gave the rows as lost without a range
  std::string every_row_message;
  std::map<std::uint64_t, std::string> row_messages;  // the first lines' "error N: text"
  std::map<std::uint64_t, std::vector<std::string>> lost_fields;  // row -> fields not assigned
  std::vector<std::string> failed_steps;  // the steps named by the lines of row 0

  bool Refused(std::uint64_t row) const;
  // The line that lists `row` as refused, as "error N: text"; empty when none is kept.
  std::string MessageFor(std::uint64_t row) const;
  bool FieldLost(std::uint64_t row, std::string_view field) const;
  bool StepFailed(std::string_view step) const;
};

// The import's failure log "import_errors" (UTF-16 LE, one failure a line: table, source row,
// field, error number, description, separated by tabs), as the verification reads it:
//  - a row above 0 with no field: that source row was refused;
//  - a row above 0 with a field: that field of the row was not assigned;
//  - row 0, no field, a description "N rows not copied: rows F to L...": those rows were lost;
//    without the range, every row of the table was;
//  - row 0 with a field: a step that failed, or a column one side lacks.
// Memory grows with the lines of the log, not with the rows of the tables; the messages of at
// most `kept_messages` rows a table are kept.
class ImportLog {
 public:
  // An absent log reads as an empty one; `present()` says which.
  static Result<ImportLog> Read(const std::filesystem::path& path, std::size_t kept_messages);

  bool present() const { return present_; }
  // The log of `table`; an empty one when the log names it nowhere.
  const TableLog& Of(std::string_view table) const;

  // Adds one line (without its CR LF), as Read does.
  void AddLine(std::string_view line, std::size_t kept_messages);
  // Sorts what AddLine gathered.
  void Done();

 private:
  bool present_ = false;
  std::map<std::string, TableLog, std::less<>> tables_;
};

}  // namespace zuna::verify
