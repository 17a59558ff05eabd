#include "verify/verify_report.h"

#include <algorithm>

#include "platform/files/file_system.h"

namespace zuna::verify {
namespace {

using Outcome = TableResult::Outcome;

std::string Values(const TableResult& table, const std::vector<CanonicalValue>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size() && i < table.columns.size(); ++i) {
    if (i > 0) text += ", ";
    text += table.columns[i] + "=" + DisplayCanonical(values[i]);
  }
  return text;
}

std::string Count(std::uint64_t n) { return std::to_string(n); }

std::string Padded(std::string label, std::uint64_t n) {
  label.resize(26, ' ');
  return "  " + label + Count(n);
}

class ReportLines {
 public:
  ReportLines(files::TextFileWriter& writer, std::size_t listed)
      : writer_(writer), listed_(listed) {}

  Status Line(const std::string& line) { return writer_.WriteLine(line); }

  Status Table(const TableResult& t) {
    RETURN_IF_ERROR(Line("Table " + t.table + ": " + TableLine(t)));
    if (t.outcome == Outcome::kNoSourceFile) return Status::Ok();
    RETURN_IF_ERROR(Line(Padded("rows compared (FoxPro)", t.source_rows)));
    RETURN_IF_ERROR(Line(Padded("rows in the target", t.target_rows)));
    RETURN_IF_ERROR(Line(Padded("equal", t.equal)));
    RETURN_IF_ERROR(Line(Padded("refused, logged", t.refused_logged)));
    RETURN_IF_ERROR(Line(Padded("missing, not explained", t.missing)));
    RETURN_IF_ERROR(
        Line(Padded("extra", t.extra) +
             (t.duplicates > 0 ? " (" + Count(t.duplicates) + " repeat a source row)" : "")));
    RETURN_IF_ERROR(Line(Padded("changed", t.changed)));
    RETURN_IF_ERROR(Line(Padded("changed, logged", t.changed_logged)));
    std::string columns = "  columns compared: ";
    for (std::size_t i = 0; i < t.columns.size(); ++i) columns += (i ? ", " : "") + t.columns[i];
    RETURN_IF_ERROR(Line(t.columns.empty() ? "  columns compared: none" : columns));
    for (const std::string& column : t.not_compared) {
      RETURN_IF_ERROR(Line("  not compared: " + column));
    }
    if (!t.adds_rows) {
      RETURN_IF_ERROR(Line("  the FoxPro table has no column ddo_code: the import adds no rows"));
    }
    if (!t.refused_rows.empty()) RETURN_IF_ERROR(Line("  refused, logged:"));
    for (std::size_t i = 0; i < t.refused_rows.size() && i < listed_; ++i) {
      const MissingRow& r = t.refused_rows[i];
      RETURN_IF_ERROR(Line("    source row " + Count(r.row) + ": " + r.log_message));
    }
    if (!t.missing_rows.empty()) RETURN_IF_ERROR(Line("  missing, not explained:"));
    for (std::size_t i = 0; i < t.missing_rows.size() && i < listed_; ++i) {
      const MissingRow& r = t.missing_rows[i];
      RETURN_IF_ERROR(Line("    source row " + Count(r.row) + ": " + Values(t, r.values)));
    }
    if (!t.extra_rows.empty()) RETURN_IF_ERROR(Line("  extra:"));
    for (std::size_t i = 0; i < t.extra_rows.size() && i < listed_; ++i) {
      const ExtraRow& r = t.extra_rows[i];
      RETURN_IF_ERROR(Line(
          "    target row " + Count(r.row) +
          (r.duplicate_of ? " (repeats source row " + Count(r.duplicate_of) + ")" : std::string()) +
          ": " + Values(t, r.values)));
    }
    if (!t.changed_pairs.empty()) RETURN_IF_ERROR(Line("  changed:"));
    for (std::size_t i = 0; i < t.changed_pairs.size() && i < listed_; ++i) {
      const ChangedPair& p = t.changed_pairs[i];
      std::string line = "    source row " + Count(p.source_row) + " / target row " +
                         Count(p.target_row) + (p.logged ? " (logged)" : "") + ": ";
      for (std::size_t c = 0; c < p.columns.size(); ++c) {
        const ChangedColumn& column = p.columns[c];
        line += (c ? "; " : "") + column.column + " " + DisplayCanonical(column.expected) + " -> " +
                DisplayCanonical(column.actual);
      }
      RETURN_IF_ERROR(Line(line));
    }
    const std::size_t kept = std::max({t.refused_rows.size(), t.missing_rows.size(),
                                       t.extra_rows.size(), t.changed_pairs.size()});
    if (kept > listed_) {
      RETURN_IF_ERROR(Line("  (the first " + Count(listed_) + " rows of each kind are listed)"));
    }
    return writer_.WriteBlankLines(1);
  }

 private:
  files::TextFileWriter& writer_;
  std::size_t listed_;
};

}  // namespace

std::string TableLine(const TableResult& t) {
  switch (t.outcome) {
    case Outcome::kNoSourceFile:
      return "no FoxPro table, not compared";
    case Outcome::kFailed:
      return "NOT VERIFIED: " + t.failure.ToString();
    case Outcome::kNoTargetTable:
    case Outcome::kCompared:
      break;
  }
  std::string line = (t.outcome == Outcome::kNoTargetTable ? "no target table; " : "") +
                     Count(t.source_rows) + " source rows, " + Count(t.equal) + " equal, " +
                     Count(t.refused_logged) + " refused (logged), " + Count(t.missing) +
                     " missing, " + Count(t.extra) + " extra, " + Count(t.changed) + " changed";
  if (t.changed_logged > 0) line += ", " + Count(t.changed_logged) + " changed (logged)";
  return line + (t.accounted_for() ? "" : "  << NOT ACCOUNTED FOR");
}

Status WriteVerifyReport(const VerifySummary& summary, const std::filesystem::path& folder,
                         std::size_t listed_rows, files::FileEnv& env) {
  const auto path = folder / std::string(kVerifyReportName);
  ASSIGN_OR_RETURN(auto writer, files::TextFileWriter::Create(
                                    path, files::TextFileWriter::Encoding::kAnsi, env));
  ReportLines lines(writer, listed_rows);
  std::size_t unaccounted = 0;
  for (const TableResult& table : summary.tables) unaccounted += table.accounted_for() ? 0 : 1;
  Status written = lines.Line("Verification of every value: FoxPro tables against the target");
  if (written.ok()) {
    written =
        lines.Line(summary.accounted_for() ? "Result: every row is accounted for."
                                           : "Result: " + std::to_string(unaccounted) + " of " +
                                                 std::to_string(summary.tables.size()) +
                                                 " tables are NOT accounted for.");
  }
  if (written.ok()) {
    written = lines.Line(summary.log_present
                             ? "Failure log: import_errors (rows it lists count as refused, logged)"
                             : "Failure log: import_errors is absent; no loss is explained");
  }
  if (written.ok()) written = writer.WriteBlankLines(1);
  for (const TableResult& table : summary.tables) {
    if (!written.ok()) break;
    written = lines.Table(table);
  }
  Status closed = writer.Close();
  RETURN_IF_ERROR(written);
  return closed;
}

}  // namespace zuna::verify
