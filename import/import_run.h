#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/import_observer.h"
#include "import/table_copier.h"

namespace zuna::transfer {

// What the import changes on the main window: the wait label and two buttons.
class ImportWindow {
 public:
  virtual ~ImportWindow() = default;
  virtual void ShowWaitLabel() = 0;
  virtual void HideWaitLabel() = 0;
  virtual void DisableImport() = 0;
  virtual void EnableReport() = 0;
};

struct ImportSummary {
  std::vector<TableReport> tables;
  std::uint64_t rows_lost = 0;
  std::uint64_t fields_lost = 0;
  std::uint64_t skipped_failures = 0;   // entries of the skip log
  std::uint64_t unlisted_failures = 0;  // entries the skip log could not write
  Status log_failure;                   // why the skip log is incomplete; Ok when it is not
  // The storage failure (disk full, I/O error) that stopped the saving, and where: a table or
  // pk.sql. Ok when none did. The tables after it were read and counted, not copied.
  Status stopped_by;
  std::string stopped_at;
  Status keys;  // how pk.sql ended
  // A stop was requested (ImportContext::stop): the import ended after source row
  // `interrupted_after_row` of table `interrupted_at` (0: before that table began), with what it
  // had saved committed. The later tables, the installation step and pk.sql did not run.
  bool interrupted = false;
  std::string interrupted_at;
  std::uint64_t interrupted_after_row = 0;
  // Connections the copy opened to an embedded target; one serves every table that finds the
  // last one's work ended (sources::ConnectionReuse).
  std::uint64_t target_connections_opened = 0;
  bool skipped() const { return skipped_failures > 0; }
  bool log_complete() const { return log_failure.ok(); }
  bool stopped() const { return !stopped_by.ok(); }
};

// The whole import, in this order: the wait label shown and the import button disabled, the
// first pass, TransferSecondPass, TransferThirdPass (ending with the installation step),
// ApplyKeys, the label hidden, "Completed", and the report button enabled. When anything was
// skipped, a message after "Completed" says how many rows and fields were lost and names the
// log "import_errors"; when that log could not be written, the message says so, with the error.
// A failure of the database's storage stops the saving: the later tables are counted as lost,
// and neither the installation step nor ApplyKeys runs; the message says where the import
// stopped. A requested stop (ImportContext::stop) ends the import at the next row boundary with
// what was saved committed: nothing after it runs, "Completed" is not shown, and the last line
// of "import_errors" says where the import stopped. `context.observer` sees every table.
ImportSummary RunImport(ImportContext& context, ImportWindow& window);

// The passes and finishing steps, for callers that run them on their own.
void TransferFirstPass(ImportContext& context, ImportSummary& summary);
void TransferSecondPass(ImportContext& context, ImportSummary& summary);
void TransferThirdPass(ImportContext& context, ImportSummary& summary);
void MarkInstallation(ImportContext& context);
// Runs pk.sql; a failure is written to the skip log and returned.
Status ApplyKeys(ImportContext& context);

}  // namespace zuna::transfer
