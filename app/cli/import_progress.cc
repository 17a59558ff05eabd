#include "app/cli/import_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "import/table_copier.h"

namespace zuna::cli {
namespace {

using Outcome = transfer::TableReport::Outcome;

constexpr std::size_t kDefaultColumns = 80;
// Back to the start of the line and clear it: the line is drawn again in place.
constexpr std::string_view kRedraw = "\r\x1b[K";

std::size_t TerminalColumns(std::FILE* out) {
  winsize size{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultColumns;
}

// "0:07", "12:30", "2:05:00".
std::string Duration(double seconds) {
  const auto total = static_cast<unsigned long long>(seconds + 0.5);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", total / 3600, total / 60 % 60,
                  total % 60);
  } else {
    std::snprintf(text, sizeof text, "%llu:%02llu", total / 60, total % 60);
  }
  return text;
}

std::string Rate(double rows_per_second) {
  return std::to_string(static_cast<unsigned long long>(rows_per_second + 0.5)) + " rows/s";
}

}  // namespace

ProgressStyle StyleFor(std::FILE* stream, bool quiet) {
  if (quiet) return ProgressStyle::kQuiet;
  if (!::isatty(::fileno(stream))) return ProgressStyle::kPlain;
  // A terminal that cannot clear a line would pile the redrawn lines up.
  const char* term = std::getenv("TERM");
  if (term != nullptr && std::string_view(term) == "dumb") return ProgressStyle::kPlain;
  return ProgressStyle::kTerminal;
}

ImportProgress::ImportProgress(std::FILE* out, ProgressStyle style, Clock clock,
                               int terminal_columns)
    : out_(out),
      style_(style),
      clock_(std::move(clock)),
      width_((terminal_columns > 0 ? static_cast<std::size_t>(terminal_columns)
                                   : TerminalColumns(out)) -
             1),
      last_shown_(clock_()) {}

double ImportProgress::RowsPerSecond(std::uint64_t rows) const {
  const double seconds = std::chrono::duration<double>(clock_() - table_started_).count();
  return seconds > 0 ? static_cast<double>(rows) / seconds : 0;
}

std::string ImportProgress::RowsLine(std::uint64_t rows, std::uint64_t header_rows) const {
  std::string line = table_ + ": " + std::to_string(rows);
  line += header_rows > 0 ? " of " + std::to_string(header_rows) + " rows" : " rows";
  const double rate = RowsPerSecond(rows);
  if (rows == 0 || rate <= 0) return line;
  line += ", " + Rate(rate);
  if (header_rows > rows) {
    line += ", ETA " + Duration(static_cast<double>(header_rows - rows) / rate);
  }
  return line;
}

void ImportProgress::Show(const std::string& line, bool final) {
  last_shown_ = clock_();
  if (style_ == ProgressStyle::kTerminal) {
    std::fwrite(kRedraw.data(), 1, kRedraw.size(), out_);
    std::fwrite(line.data(), 1, std::min(line.size(), width_), out_);
    line_open_ = !final;
    if (final) std::fputc('\n', out_);
  } else {
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
  }
  std::fflush(out_);
}

void ImportProgress::RowsDone(std::string_view table, std::uint64_t rows,
                              std::uint64_t header_rows) {
  if (style_ == ProgressStyle::kQuiet) return;
  const bool started = table != table_;
  if (started) {
    table_ = table;
    table_started_ = clock_();
  }
  const auto since = clock_() - last_shown_;
  if (style_ == ProgressStyle::kTerminal ? started || since >= kTerminalRedrawInterval
                                         : since >= kPlainLineInterval) {
    Show(RowsLine(rows, header_rows), false);
  }
}

void ImportProgress::TableDone(const transfer::TableReport& report) {
  if (style_ == ProgressStyle::kQuiet) return;
  table_.clear();
  if (report.outcome != Outcome::kCopied) {
    Finish();
    return;
  }
  const double rate =
      report.seconds > 0 ? static_cast<double>(report.rows_read) / report.seconds : 0;
  std::string line = report.table + ": ";
  if (report.interrupted) {
    line += "interrupted after " + std::to_string(report.rows_read) +
            (report.header_rows > 0 ? " of " + std::to_string(report.header_rows) : "") +
            " rows, " + std::to_string(report.rows_saved) + " saved";
  } else {
    line += std::to_string(report.rows_saved) + " rows copied, ";
    if (report.rows_refused > 0) line += std::to_string(report.rows_refused) + " refused, ";
    line += Rate(rate);
  }
  Show(line, true);
}

void ImportProgress::Finish() {
  if (!line_open_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  line_open_ = false;
}

}  // namespace zuna::cli
