#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "import/import_observer.h"

namespace zuna::cli {

// How the import's progress shows on standard error.
enum class ProgressStyle {
  kTerminal,  // one line per table, redrawn in place as its rows go by, then left as its result
  kPlain,     // for a log file or a pipe: a line when a table is done, and within a table a
              // line at most every kPlainLineInterval
  kQuiet,     // nothing (--quiet)
};

// The style for `stream`: a terminal gets the redrawn line, anything else plain lines.
ProgressStyle StyleFor(std::FILE* stream, bool quiet);

inline constexpr std::chrono::milliseconds kTerminalRedrawInterval{100};
inline constexpr std::chrono::seconds kPlainLineInterval{5};

// The import's progress for the command line: per table, the rows done of the count its header
// announces, the rows per second and the time the rest should take.
//
//   personnel: 61440 of 100000 rows, 52311 rows/s, ETA 0:01     (redrawn on a terminal)
//   personnel: 100000 rows copied, 52108 rows/s                 (the table's last line)
//
// The clock is a parameter so that tests can move time by hand.
class ImportProgress : public transfer::ImportObserver {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  ImportProgress(std::FILE* out, ProgressStyle style, Clock clock = &std::chrono::steady_clock::now,
                 int terminal_columns = 0);

  void RowsDone(std::string_view table, std::uint64_t rows, std::uint64_t header_rows) override;
  void TableDone(const transfer::TableReport& report) override;

  // Ends a line left open on the terminal (an interrupted table), before anything else is
  // printed.
  void Finish();

 private:
  std::string RowsLine(std::uint64_t rows, std::uint64_t header_rows) const;
  double RowsPerSecond(std::uint64_t rows) const;
  // Writes `line`: in place of the open one on a terminal, else as a line of its own.
  void Show(const std::string& line, bool final);

  std::FILE* out_;
  ProgressStyle style_;
  Clock clock_;
  std::size_t width_;  // the terminal's columns less one, so a line never wraps
  std::string table_;
  std::chrono::steady_clock::time_point table_started_;
  std::chrono::steady_clock::time_point last_shown_;
  bool line_open_ = false;
};

}  // namespace zuna::cli
