#include "app/cli/import_summary.h"

#include <string>

#include "app/cli/json_writer.h"
#include "import/skip_log.h"

namespace zuna::cli {
namespace {

using transfer::TableReport;
using Outcome = TableReport::Outcome;

std::string_view OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kCopied:
      return "copied";
    case Outcome::kMissing:
      return "not_found";
    case Outcome::kMasterDataScript:
      return "master_data_script";
  }
  return "copied";
}

struct Totals {
  std::uint64_t tables_copied = 0, tables_not_found = 0, tables_unreadable = 0;
  std::uint64_t rows_read = 0, rows_saved = 0, rows_refused = 0, fields_lost = 0;
  std::uint64_t deleted_skipped = 0, undecodable_fields = 0;
};

Totals Sum(const transfer::ImportSummary& summary) {
  Totals totals;
  for (const TableReport& r : summary.tables) {
    totals.tables_copied += r.outcome == Outcome::kCopied ? 1 : 0;
    totals.tables_not_found += r.outcome == Outcome::kMissing ? 1 : 0;
    totals.tables_unreadable += r.rows_unknown ? 1 : 0;
    totals.rows_read += r.rows_read;
    totals.rows_saved += r.rows_saved;
    totals.rows_refused += r.rows_refused;
    totals.fields_lost += r.fields_unassigned;
    totals.deleted_skipped += r.deleted_skipped;
    totals.undecodable_fields += r.undecodable_fields;
  }
  return totals;
}

void WriteTable(JsonWriter& json, const TableReport& r) {
  json.BeginObject()
      .Member("table", r.table)
      .Member("outcome", OutcomeName(r.outcome))
      .Member("rows_read", r.rows_read)
      .Member("rows_saved", r.rows_saved)
      .Member("rows_refused", r.rows_refused)
      .Member("rows_unknown", r.rows_unknown)
      .Member("fields_lost", r.fields_unassigned)
      .Member("deleted_skipped", r.deleted_skipped)
      .Member("undecodable_fields", r.undecodable_fields)
      .Member("header_rows", r.header_rows)
      .Member("rows_in_file", r.rows_in_file)
      .Member("stopped", !r.stopped_by.ok())
      .Member("interrupted", r.interrupted)
      .Key("seconds")
      .Seconds(r.seconds)
      .EndObject();
}

void WriteError(JsonWriter& json, const Status& status) {
  json.BeginObject()
      .Member("number", static_cast<std::int64_t>(status.number()))
      .Member("description", status.description())
      .EndObject();
}

// `ran`: false when the command refused to start the import (the summary is empty then).
void WriteRun(JsonWriter& json, const transfer::ImportSummary& summary, bool ran,
              const ImportOutcome& outcome) {
  json.Key("tables").BeginArray();
  for (const TableReport& r : summary.tables) WriteTable(json, r);
  json.EndArray();
  const Totals totals = Sum(summary);
  json.Key("totals")
      .BeginObject()
      .Member("tables", static_cast<std::uint64_t>(summary.tables.size()))
      .Member("tables_copied", totals.tables_copied)
      .Member("tables_not_found", totals.tables_not_found)
      .Member("tables_unreadable", totals.tables_unreadable)
      .Member("rows_read", totals.rows_read)
      .Member("rows_saved", totals.rows_saved)
      .Member("rows_refused", totals.rows_refused)
      .Member("fields_lost", totals.fields_lost)
      .Member("deleted_skipped", totals.deleted_skipped)
      .Member("undecodable_fields", totals.undecodable_fields)
      .EndObject();
  json.Key("stopped");
  if (summary.stopped()) {
    json.BeginObject().Member("at", summary.stopped_at).Key("error");
    WriteError(json, summary.stopped_by);
    json.EndObject();
  } else {
    json.Null();
  }
  json.Key("interrupted");
  if (summary.interrupted) {
    json.BeginObject()
        .Member("signal", outcome.stop_reason)
        .Member("table", summary.interrupted_at)
        .Member("after_row", summary.interrupted_after_row)
        .EndObject();
  } else {
    json.Null();
  }
  // pk.sql runs only after every table; a stop at a table or an interruption leaves it out.
  json.Member("keys_applied",
              ran && !summary.interrupted && !summary.stopped() && summary.keys.ok());
  json.Key("log")
      .BeginObject()
      .Member("file", transfer::kSkipLogName)
      .Member("lines", summary.skipped_failures)
      .Member("complete", summary.log_complete())
      .Key("error");
  if (summary.log_complete()) {
    json.Null();
  } else {
    WriteError(json, summary.log_failure);
  }
  json.EndObject();
}

}  // namespace

void PrintImportSummary(const transfer::ImportSummary& summary, std::FILE* out) {
  std::fprintf(out, "\n%-18s %9s %9s %8s %8s %8s %8s  %s\n", "table", "read", "saved", "refused",
               "fields", "deleted", "bad text", "header/found");
  for (const TableReport& r : summary.tables) {
    if (r.outcome != Outcome::kCopied) {
      std::fprintf(out, "%-18s %s%s\n", r.table.c_str(),
                   r.outcome == Outcome::kMissing ? "not found" : "master-data script",
                   r.outcome == Outcome::kMasterDataScript && !r.stopped_by.ok() ? " not run" : "");
      continue;
    }
    const std::string counts =
        std::to_string(r.header_rows) + "/" + std::to_string(r.rows_in_file) +
        (r.header_rows != r.rows_in_file ? "  DIFFERS" : "") +
        (r.stopped_by.ok() ? "" : "  STOPPED") + (r.interrupted ? "  INTERRUPTED" : "");
    // A table that could not be read at all lost an unknown number of rows.
    const std::string refused = r.rows_unknown ? "unknown" : std::to_string(r.rows_refused);
    std::fprintf(out, "%-18s %9llu %9llu %8s %8llu %8llu %8llu  %s\n", r.table.c_str(),
                 static_cast<unsigned long long>(r.rows_read),
                 static_cast<unsigned long long>(r.rows_saved), refused.c_str(),
                 static_cast<unsigned long long>(r.fields_unassigned),
                 static_cast<unsigned long long>(r.deleted_skipped),
                 static_cast<unsigned long long>(r.undecodable_fields), counts.c_str());
  }
  const Totals totals = Sum(summary);
  const std::string unknown =
      totals.tables_unreadable == 0
          ? ""
          : " and an unknown number from " + std::to_string(totals.tables_unreadable) +
                (totals.tables_unreadable == 1 ? " unreadable table" : " unreadable tables");
  std::fprintf(out, "rows saved %llu, rows lost %llu%s, fields lost %llu\n",
               static_cast<unsigned long long>(totals.rows_saved),
               static_cast<unsigned long long>(summary.rows_lost), unknown.c_str(),
               static_cast<unsigned long long>(summary.fields_lost));
  if (summary.stopped()) {
    std::fprintf(out, "saving stopped at %s: %s\n", summary.stopped_at.c_str(),
                 summary.stopped_by.ToString().c_str());
  }
  std::fflush(out);
}

std::string ImportSummaryJson(const SummaryHeader& header, const ImportOutcome& outcome) {
  JsonWriter json;
  BeginSummary(json, header);
  json.Member("data_folder", outcome.data_folder).Member("append", outcome.append);
  const transfer::ImportSummary* summary = outcome.summary;
  json.Member("completed", summary != nullptr && !summary->interrupted);
  json.Key("refusal");
  if (outcome.refusal.empty()) {
    json.Null();
  } else {
    json.String(outcome.refusal);
  }
  const transfer::ImportSummary none;
  WriteRun(json, summary ? *summary : none, summary != nullptr, outcome);
  json.EndObject();
  return json.text();
}

}  // namespace zuna::cli
