#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/status.h"
#include "platform/files/file_system.h"

namespace zuna::transfer {

inline constexpr std::string_view kSkipLogName = "import_errors";

// Every failure the import skips and goes on from, written to the Unicode log "import_errors" in
// the program folder, one line each: table, source row number (0 when no row is meant), field,
// error number and description, separated by tabs. Tabs and line breaks inside the texts become
// blanks, so one failure is always one line of five columns. Each line is handed to the system as
// it is written, so a killed import loses none. The import never stops for these; this log is how
// nothing is lost silently. A clean import leaves the file empty.
//
// The log's own failures are kept, not swallowed: after the first failure to create or write the
// file nothing more is written to it (a log never goes on after a hole), and failure() and
// unwritten() say what the file lacks, so that the import can tell the operator.
class SkipLog {
 public:
  explicit SkipLog(files::FileEnv& env = files::FileEnv::Default()) : env_(&env) {}

  // Creates the log, replacing an earlier one, and forgets every count and failure of an earlier
  // run. Without it the counts are still kept, and every entry counts as unwritten.
  Status Open(const std::filesystem::path& program_folder);
  // Closes the log; Ok only when every entry is in the file (else failure()).
  Status Close();

  // A source row that was not saved.
  void RowLost(std::string_view table, std::uint64_t row, const Status& status);
  // `count` rows of a table that were not saved for one reason (a target that did not open).
  void RowsLost(std::string_view table, std::uint64_t count, const Status& status);
  // A field of a saved (or refused) row that could not be assigned.
  void FieldLost(std::string_view table, std::uint64_t row, std::string_view field,
                 const Status& status);
  // A column one side lacks: its field stays unassigned on all `rows` rows of the table.
  void ColumnMissing(std::string_view table, std::string_view field, std::uint64_t rows,
                     const Status& status);
  // Any other step that failed: a log that could not be created, a script, a close.
  void StepFailed(std::string_view table, std::string_view step, const Status& status);

  std::uint64_t rows_lost() const { return rows_lost_; }
  std::uint64_t fields_lost() const { return fields_lost_; }
  std::uint64_t entries() const { return entries_; }
  // Entries that are not in the file: written after the log failed, or with no log open.
  std::uint64_t unwritten() const { return unwritten_; }
  // The first failure to create, write or close the file; Ok while the file holds every entry.
  const Status& failure() const { return failure_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  void Write(std::string_view table, std::uint64_t row, std::string_view field,
             const Status& status);

  files::FileEnv* env_;
  std::filesystem::path path_;
  std::optional<files::TextFileWriter> stream_;
  Status failure_;
  std::uint64_t rows_lost_ = 0;
  std::uint64_t fields_lost_ = 0;
  std::uint64_t entries_ = 0;
  std::uint64_t unwritten_ = 0;
  std::string line_;
};

}  // namespace zuna::transfer
