#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "platform/base/value.h"

namespace zuna::recordset {

// Numbers and texts of the recordset failures, as ADO reports them.
inline constexpr long kErrItemNotFound = 3265;
inline constexpr std::string_view kItemNotFoundText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";
inline constexpr long kErrNoCurrentRecord = 3021;
inline constexpr std::string_view kNoCurrentRecordText =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";
inline constexpr long kErrObjectClosed = 3704;
inline constexpr std::string_view kObjectClosedText =
    "Operation is not allowed when the object is closed.";
inline constexpr long kErrNotUpdatable = 3251;
inline constexpr std::string_view kNotUpdatableText =
    "Current Recordset does not support updating. This may be a limitation of the provider, or "
    "of the selected locktype.";

Status ItemNotFound(std::string_view name);
Status NoCurrentRecord();
Status ObjectClosed();
Status NotUpdatable();

// What a FoxPro source learned about its table while reading it, for the import's summary.
struct ReadStatistics {
  std::uint64_t header_row_count = 0;    // rows the table header claims
  std::uint64_t rows_in_file = 0;        // complete rows really in the file
  std::uint64_t rows_delivered = 0;      // rows handed out so far
  std::uint64_t deleted_skipped = 0;     // rows marked deleted and not delivered
  std::uint64_t undecodable_fields = 0;  // field values with bytes the code page lacks
};

// A row that Update accepted and the database refused later, when a connection that sends rows
// in batches sent the row's batch.
struct LateRefusal {
  std::uint64_t tag = 0;  // as given to UpdateTagged
  Status status;
};

// Adds rows whose assigned columns are the same for every row, found once: what AddNew, a
// SetBorrowed for each column and UpdateTagged do, without a call per field.
class RowAppender {
 public:
  RowAppender() = default;
  RowAppender(const RowAppender&) = delete;
  RowAppender& operator=(const RowAppender&) = delete;
  virtual ~RowAppender() = default;

  // Adds a row with *values[i] in the appender's column i, each value lent until the call
  // returns; returns what UpdateTagged(tag) returns.
  virtual Status Append(std::uint64_t tag, std::span<const Value* const> values) = 0;
};

// A recordset opened on a data source: rows of named fields, a current position, and (on a
// target) a new row being built. One recordset is used by one command at a time. Every failure
// comes back as a Status with a number and a description; nothing is swallowed here.
class Recordset {
 public:
  Recordset() = default;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;
  virtual ~Recordset() = default;

  // True once the position has passed the last row; true at once for a recordset without rows
  // and for one that was closed.
  virtual bool Eof() const = 0;

  // Moves to the next row.
  virtual Status MoveNext() = 0;

  // The columns in table order.
  virtual int FieldCount() const = 0;
  virtual std::string_view FieldName(int index) const = 0;

  // Index of the named column, compared as the data source compares names; -1 when absent.
  virtual int FindField(std::string_view name) const = 0;

  // The current row's value of column `index` (the new row's value after AddNew).
  virtual Result<const Value*> Field(int index) const = 0;

  // Starts a new, empty row; Set assigns its fields, Update inserts it.
  virtual Status AddNew() = 0;
  virtual Status Set(int index, const Value& value) = 0;
  virtual Status Update() = 0;

  // Update, naming the row `tag`. Where the connection sends rows in batches, Update may accept
  // a row that the database refuses only when its batch goes, at a later Update or at Close;
  // TakeLateRefusals then lists it with this tag. Such a row is lost alone, as a row refused at
  // once is.
  virtual Status UpdateTagged(std::uint64_t tag) {
    (void)tag;
    return Update();
  }
  virtual std::vector<LateRefusal> TakeLateRefusals() { return {}; }

  // Asks the target to save the rows of the following UpdateTagged calls on a thread of its own,
  // so that the caller reads and prepares the next rows meanwhile. From then on UpdateTagged
  // only converts and queues its row and returns Ok; the row's own outcome (what UpdateTagged
  // returns on a target that saves at once) comes from TakeSaveRefusals, in the order of the
  // rows. Returns false, and nothing changes, on a target that saves at once.
  virtual bool SaveInBackground() { return false; }

  // After SaveInBackground: appends the refusals of the rows whose saves ended since the last
  // call, in order, each with its tag and the status UpdateTagged would have returned, and
  // returns the tag of the last row whose save has ended (every earlier one has ended too).
  // With `wait`, first waits until every row given to UpdateTagged has been saved or refused.
  // A refusal of kind kStorage ends the saving: the rows after it are neither saved nor listed.
  virtual std::uint64_t TakeSaveRefusals(std::vector<LateRefusal>& refusals, bool wait) {
    (void)refusals;
    (void)wait;
    return 0;
  }

  // Like Set, but `value` is only referred to: the caller keeps it alive and unchanged until
  // Update or AddNew. Spares a copy per field on the import's hot path.
  virtual Status SetBorrowed(int index, const Value& value) { return Set(index, value); }

  // An appender of rows whose values go into the columns at `columns`, in that order; null when
  // the recordset has none for them (rows are then added with AddNew, Set and UpdateTagged). It
  // is used while the recordset is open and must not outlive it.
  virtual std::unique_ptr<RowAppender> AppenderFor(std::span<const int> columns) {
    (void)columns;
    return nullptr;
  }

  // The current row's values in column order, where the recordset holds them so and every one
  // of them could be read: Field() for a caller that reads each column of each row, without a
  // call per field. Empty otherwise; Field() then says which value failed.
  virtual std::span<const Value> RowValues() const { return {}; }

  // Releases the rows and the connection; further calls fail with ObjectClosed.
  virtual Status Close() = 0;

  // Reading statistics, where the source keeps them.
  virtual std::optional<ReadStatistics> Statistics() const { return std::nullopt; }

  // By-name forms: ItemNotFound when no column has the name.
  Result<const Value*> FieldByName(std::string_view name) const;
  Status SetByName(std::string_view name, const Value& value);
};

// A recordset that only reads rows: adding one fails with NotUpdatable, as ADO's read-only
// recordsets do.
class ReadOnlyRecordset : public Recordset {
 public:
  Status AddNew() override { return NotUpdatable(); }
  Status Set(int, const Value&) override { return NotUpdatable(); }
  Status Update() override { return NotUpdatable(); }
};

}  // namespace zuna::recordset
