#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "import/catalog.h"
#include "import/import_observer.h"
#include "import/skip_log.h"
#include "platform/files/log_slot.h"

namespace zuna {
class Operator;
namespace sources {
class DataSources;
}
}  // namespace zuna

namespace zuna::transfer {

// Everything a pass works with: the data sources, the folders, the server name as typed, the
// operator, the main window's slots and the log of skipped failures; and, for the command line,
// who watches the rows go by and who may ask the import to stop.
struct ImportContext {
  const sources::DataSources& sources;
  std::filesystem::path data_folder;
  std::filesystem::path program_folder;
  std::string server_name;
  Operator& op;
  files::LogSlot& log;  // the main window's log slot, which the anomaly logs go into
  SkipLog& skips;
  ImportObserver* observer = nullptr;
  const StopRequest* stop = nullptr;
};

// What happened to one table, for the import's summary.
struct TableReport {
  enum class Outcome { kCopied, kMissing, kMasterDataScript };
  std::string table;
  Outcome outcome = Outcome::kCopied;
  std::uint64_t rows_read = 0;
  std::uint64_t rows_saved = 0;
  std::uint64_t rows_refused = 0;
  std::uint64_t fields_unassigned = 0;
  std::uint64_t deleted_skipped = 0;
  std::uint64_t undecodable_fields = 0;
  std::uint64_t header_rows = 0;
  std::uint64_t rows_in_file = 0;
  bool rows_unknown = false;  // the source did not open and not even its header could be read
  double seconds = 0;
  // The storage failure (disk full, I/O error) that stopped the copy: the rows after it were
  // read and counted refused, not saved. Ok when none did.
  Status stopped_by;
  // A stop was requested while the rows were copied: rows_read rows were handled, the rest of
  // the table was not read.
  bool interrupted = false;
};

// The table copy procedure, for one catalog entry, in this order: the existence test (a missing
// file shows the entry's message, or runs its master-data script), the entry's preparations
// (opening its anomaly log), the target opened before the source, the row loop (add a row,
// assign the fields in catalog order, save, move on), then the target closed before the source.
// A failing step is skipped and the procedure goes on; every skipped failure is written to the
// skip log. A failure of the database's storage is the exception: it would fail every further
// row too, so the copy stops there, and the rest of the table's rows are counted and listed as
// lost in one line. When `run_stopped_by` is a failure, an earlier table stopped that way: the
// target is not opened, and the table's rows are read, counted and listed as lost in one line;
// a master-data script is not run. When `context.stop` is requested, the row loop ends before the
// next row, and the table is closed as after its last row, so what was saved is committed.
TableReport CopyTable(const CatalogEntry& entry, ImportContext& context,
                      const Status& run_stopped_by = Status::Ok());

}  // namespace zuna::transfer
