#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "platform/base/value.h"
#include "platform/recordset/recordset.h"
#include "platform/sql/column_type.h"
#include "platform/sql/row_view.h"

namespace zuna::sql {

// A column of a table or of a query's result.
struct ColumnInfo {
  std::string name;
  std::string declared_type;  // as the database declares it ("varchar(30)")
  ColumnType type;
};

// The rows of one executed query, read forward once.
class Cursor {
 public:
  Cursor() = default;
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;
  virtual ~Cursor() = default;

  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // Fills `row` with the next row; false after the last one.
  virtual Result<bool> Next(std::vector<Value>& row) = 0;

  // The same rows, for a reader that only looks at them: moves to the next row without copying
  // it out; false after the last one. Its columns are then read with View. A reader uses either
  // Next or NextView for all the rows of a cursor.
  virtual Result<bool> NextView() { return Next(view_row_); }
  // Column `i` of the row NextView moved to, valid until the cursor moves again. By default the
  // Values Next fills; a cursor that can lend the database's own buffers does so.
  virtual ColumnView View(int i) const {
    return ColumnView::Of(view_row_[static_cast<std::size_t>(i)]);
  }
  // View of each column of `columns` into `out`, in one call for a row.
  virtual void Views(const std::vector<int>& columns, std::vector<ColumnView>& out) const {
    out.resize(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) out[i] = View(columns[i]);
  }

 private:
  std::vector<Value> view_row_;
};

// One open connection to a database, on the embedded engine or through ODBC. Recordsets share
// it through shared_ptr, so a connection lives as long as anything reads from it.
class Connection {
 public:
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  virtual ~Connection() = default;

  // Executes a command text written for this database (a script), which may hold several
  // statements; results are ignored. Statements before a failing one stay done. The embedded
  // engine reads SQL Server's words itself.
  virtual Status Execute(std::string_view text) = 0;

  // Executes one statement of the tool's own, in SQL Server's words (an update opened as a
  // recordset), translated for the database as Query's texts are.
  virtual Status ExecuteStatement(std::string_view statement) { return Execute(statement); }

  // Runs a query of the tool's own, in SQL Server's words (translated for the database), and
  // returns its rows.
  virtual Result<std::unique_ptr<Cursor>> Query(std::string_view text) = 0;

  // The columns of a table in table order; InvalidObjectName when there is no such table.
  virtual Result<std::vector<ColumnInfo>> TableColumns(std::string_view table) = 0;

  // Inserts one row into `table`, giving values to the columns at `assigned` (indexes into
  // `columns` and `values`) and leaving the others to their defaults. The statement for each
  // set of columns is prepared once and reused. Only this row is lost when it is refused. A
  // connection that sends rows in batches may only queue the row and return Ok; if the database
  // refuses it when the batch is sent, TakeLateRefusals lists it with `tag`.
  virtual Status Insert(std::string_view table, const std::vector<ColumnInfo>& columns,
                        const std::vector<int>& assigned, const std::vector<const Value*>& values,
                        std::uint64_t tag) = 0;

  // Sends every queued row and makes every row inserted so far durable (ends the current group
  // of saves).
  virtual Status Flush() = 0;

  // The rows refused after their Insert returned Ok, since the last call.
  virtual std::vector<recordset::LateRefusal> TakeLateRefusals() { return {}; }

  // Asks the connection to save the rows of the following Inserts on a thread of its own while
  // the caller reads and converts the next ones. From then on Insert converts its row, queues
  // it and returns Ok; the row's own outcome (what Insert returns when it saves at once) comes
  // from TakeSaveRefusals, in the order of the rows. Returns false, and nothing changes, when
  // the connection saves at once.
  virtual bool StartBackgroundSaves() { return false; }

  // After StartBackgroundSaves: appends the refusals of the rows whose saves ended since the
  // last call, in order, each with its tag and its own refusal, and returns the tag of the last
  // row whose save has ended (every earlier one has ended too). With `wait`, first waits until
  // every row given to Insert has been saved or refused. A refusal of kind kStorage ends the
  // saving: the rows queued after it are neither saved nor listed.
  virtual std::uint64_t TakeSaveRefusals(std::vector<recordset::LateRefusal>& refusals, bool wait) {
    (void)refusals;
    (void)wait;
    return 0;
  }
};

}  // namespace zuna::sql
