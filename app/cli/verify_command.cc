// zuna-transfer verify [--summary FILE] [--memory SIZE]: compares every value of every catalogued
// table with the target. Prints a line per table on standard output, writes verify_rpt into the
// program folder (its path goes to standard error) and, with --summary, the figures as JSON.
// Exit 0 when every row is accounted for, 3 when a row is missing without a log line, extra or
// changed (or a table could not be read), 1 when the comparison could not run or its report not
// be written.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>

#include "app/cli/cli.h"
#include "app/cli/json_writer.h"
#include "app/cli/summary_file.h"
#include "verify/verify_report.h"
#include "verify/verify_run.h"

namespace zuna::cli {
namespace {

// Rows of each kind and table that the report and the JSON list.
constexpr std::size_t kListedRows = 20;

// "4096", "64K", "16M", "1G" (powers of 1024); nothing for any other text or zero.
std::optional<std::size_t> ParseSize(std::string_view text) {
  std::size_t shift = 0;
  if (!text.empty()) {
    switch (text.back()) {
      case 'K':
      case 'k':
        shift = 10;
        break;
      case 'M':
      case 'm':
        shift = 20;
        break;
      case 'G':
      case 'g':
        shift = 30;
        break;
      default:
        break;
    }
  }
  if (shift > 0) text.remove_suffix(1);
  std::size_t number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || number == 0 ||
      number > (SIZE_MAX >> shift)) {
    return std::nullopt;
  }
  return number << shift;
}

class TableLines : public verify::VerifyObserver {
 public:
  void TableDone(const verify::TableResult& table) override {
    std::printf("%s: %s\n", table.table.c_str(), verify::TableLine(table).c_str());
    std::fflush(stdout);
  }
};

std::string_view OutcomeName(verify::TableResult::Outcome outcome) {
  using Outcome = verify::TableResult::Outcome;
  switch (outcome) {
    case Outcome::kCompared:
      return "compared";
    case Outcome::kNoSourceFile:
      return "no FoxPro table";
    case Outcome::kNoTargetTable:
      return "no target table";
    case Outcome::kFailed:
      return "failed";
  }
  return "";
}

std::string SummaryJson(const SummaryHeader& header, const verify::VerifySummary& summary,
                        const std::filesystem::path& report) {
  JsonWriter json;
  BeginSummary(json, header);
  json.Key("accounted_for")
      .Bool(summary.accounted_for())
      .Key("report")
      .String(report.string())
      .Key("failure_log_present")
      .Bool(summary.log_present)
      .Key("tables")
      .BeginArray();
  for (const verify::TableResult& t : summary.tables) {
    json.BeginObject().Key("table").String(t.table).Key("outcome").String(OutcomeName(t.outcome));
    if (!t.failure.ok()) json.Key("error").String(t.failure.ToString());
    json.Key("accounted_for").Bool(t.accounted_for());
    const std::pair<const char*, std::uint64_t> counts[] = {{"source_rows", t.source_rows},
                                                            {"target_rows", t.target_rows},
                                                            {"equal", t.equal},
                                                            {"refused_logged", t.refused_logged},
                                                            {"missing", t.missing},
                                                            {"extra", t.extra},
                                                            {"duplicates", t.duplicates},
                                                            {"changed", t.changed},
                                                            {"changed_logged", t.changed_logged}};
    for (const auto& [name, value] : counts) json.Key(name).Number(value);
    json.Key("missing_rows").BeginArray();
    for (std::size_t i = 0; i < t.missing_rows.size() && i < kListedRows; ++i) {
      json.Number(t.missing_rows[i].row);
    }
    json.EndArray().Key("refused_rows").BeginArray();
    for (std::size_t i = 0; i < t.refused_rows.size() && i < kListedRows; ++i) {
      json.Number(t.refused_rows[i].row);
    }
    json.EndArray().Key("extra_rows").BeginArray();
    for (std::size_t i = 0; i < t.extra_rows.size() && i < kListedRows; ++i) {
      json.Number(t.extra_rows[i].row);
    }
    json.EndArray().Key("changed_rows").BeginArray();
    for (std::size_t i = 0; i < t.changed_pairs.size() && i < kListedRows; ++i) {
      const verify::ChangedPair& p = t.changed_pairs[i];
      json.BeginObject()
          .Key("source_row")
          .Number(p.source_row)
          .Key("target_row")
          .Number(p.target_row)
          .Key("logged")
          .Bool(p.logged)
          .Key("columns")
          .BeginArray();
      for (const verify::ChangedColumn& c : p.columns) json.String(c.column);
      json.EndArray().EndObject();
    }
    json.EndArray().EndObject();
  }
  json.EndArray().EndObject();
  return json.text();
}

}  // namespace

int RunVerify(const CommandContext& context) {
  const auto started = std::chrono::system_clock::now();
  verify::VerifyOptions options;
  if (!context.invocation.arguments.empty()) {
    return UsageError("verify", "unknown argument " + context.invocation.arguments.front());
  }
  for (const auto& [name, value] : context.invocation.command_options) {
    if (name != "--memory") continue;
    const auto size = ParseSize(value);
    if (!size) return UsageError("verify", "--memory takes a size such as 64M, not " + value);
    options.memory_budget = *size;
  }
  const std::optional<std::filesystem::path>& summary_path = context.invocation.summary;
  if (summary_path) {
    if (Status folder = CheckSummaryFolder(*summary_path); !folder.ok()) {
      context.op.ShowError(folder);
      return kExitFailed;
    }
  }

  TableLines lines;
  auto summary = verify::RunVerify(*context.sources, options, &lines);
  if (!summary.ok()) {
    context.op.ShowError(summary.status());
    return kExitFailed;
  }
  if (Status written = verify::WriteVerifyReport(*summary, context.program_folder, kListedRows);
      !written.ok()) {
    context.op.ShowError(written);
    return kExitFailed;
  }
  const auto report = context.program_folder / std::string(verify::kVerifyReportName);
  context.op.ShowProgress(report.string());
  const int exit_status = summary->accounted_for() ? kExitDone : kExitSkippedFailures;
  if (summary_path) {
    const SummaryHeader header{"verify", started, std::chrono::system_clock::now(), exit_status,
                               context.program_folder};
    if (Status written = WriteSummaryFile(*summary_path, SummaryJson(header, *summary, report));
        !written.ok()) {
      context.op.ShowError(written);
      return kExitFailed;
    }
  }
  std::printf("%s\n", summary->accounted_for() ? "every row is accounted for"
                                               : "NOT every row is accounted for: see verify_rpt");
  return exit_status;
}

}  // namespace zuna::cli
