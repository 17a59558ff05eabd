#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "import/catalog.h"
#include "platform/base/status.h"
#include "platform/files/file_env.h"
#include "platform/sql/connection.h"
#include "verify/canonical_value.h"
#include "verify/import_log.h"

namespace zuna::sources {
class DataSources;
}

namespace zuna::verify {

struct VerifyOptions {
  // Bytes the hashes of one table may take in memory, both sides together (24 bytes a row);
  // beyond it they are sorted in runs on disk.
  std::size_t memory_budget = std::size_t{16} << 20;
  // Where the runs go; empty: the system's temporary folder.
  std::filesystem::path spill_folder;
  // Rows a side keeps with their values for the report and for finding changed pairs.
  std::size_t detail_rows = 1000;
  // The file seam for the runs and the report.
  files::FileEnv* env = nullptr;
};

// A source row the target lacks.
struct MissingRow {
  std::uint64_t row = 0;  // the source row number, as the import's log counts rows
  std::vector<CanonicalValue> values;
  std::string log_message;  // the import's log line for a refused row
};

// A target row that no source row accounts for.
struct ExtraRow {
  std::uint64_t row = 0;           // its place in the order the target was read
  std::uint64_t duplicate_of = 0;  // the source row it repeats, when it repeats one
  std::vector<CanonicalValue> values;
};

struct ChangedColumn {
  std::string column;
  CanonicalValue expected;
  CanonicalValue actual;
};

// A source row and a target row that differ in a few columns only.
struct ChangedPair {
  std::uint64_t source_row = 0;
  std::uint64_t target_row = 0;
  std::vector<ChangedColumn> columns;
  bool logged = false;  // every differing column is one the import's log lists as not assigned
};

// What the comparison of one table found. Every source row is counted exactly once as equal,
// refused (logged), missing, or changed; every target row as equal, changed or extra.
struct TableResult {
  enum class Outcome {
    kCompared,
    kNoSourceFile,   // no FoxPro table: nothing to compare
    kNoTargetTable,  // the FoxPro table's rows have no table to be in
    kFailed,         // a side could not be read to its end: nothing is proven
  };
  std::string table;
  Outcome outcome = Outcome::kCompared;
  Status failure;
  std::vector<std::string> columns;
  std::vector<std::string> not_compared;
  bool adds_rows = true;

  std::uint64_t source_rows = 0;
  std::uint64_t target_rows = 0;
  std::uint64_t equal = 0;
  std::uint64_t refused_logged = 0;
  std::uint64_t missing = 0;  // without explanation
  std::uint64_t extra = 0;
  std::uint64_t duplicates = 0;  // extra rows that repeat a source row
  std::uint64_t changed = 0;
  std::uint64_t changed_logged = 0;
  std::size_t spilled_runs = 0;

  std::vector<MissingRow> refused_rows;  // the first ones, with their log lines
  std::vector<MissingRow> missing_rows;  // the first ones, with their values
  std::vector<ExtraRow> extra_rows;
  std::vector<ChangedPair> changed_pairs;

  // True when every row is accounted for: nothing missing without a log line, nothing extra,
  // nothing changed but what the log lists.
  bool accounted_for() const {
    return outcome != Outcome::kFailed && missing == 0 && extra == 0 && changed == 0;
  }
};

// Compares one catalogued table: the FoxPro rows through the import's rules against the rows of
// the target table of the same name, as two multisets of canonical rows. `log` is what the
// import's failure log says about the table.
TableResult VerifyTable(const transfer::CatalogEntry& entry, const sources::DataSources& sources,
                        const std::shared_ptr<sql::Connection>& target, const TableLog& log,
                        const VerifyOptions& options);

}  // namespace zuna::verify
