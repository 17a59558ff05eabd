#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/result.h"

namespace zuna::sql::odbc {

// A seam in the connection's sending of rows, so that a server lost in the middle of an import
// can be tested deterministically, with SQLite's ODBC driver as with a real server. Executions
// of inserts (an array or a row alone) and commits of arrays are counted from 1 in the process,
// over every connection, from the moment the faults are set.
struct ConnectionFaults {
  // The execution with this number (and each up to lost_until_execute, when that is greater)
  // finds the connection lost (SQLSTATE 08S01) before anything reaches the server; an array's
  // transaction is rolled back, as a server that went takes it with it. 0: never.
  std::uint64_t lost_at_execute = 0;
  std::uint64_t lost_until_execute = 0;
  // The commit with this number reaches the server, which keeps the rows, and then finds the
  // connection lost: whether the rows were saved cannot be known. 0: never.
  std::uint64_t lost_at_commit = 0;
  // The tool's query with this number (a select of a recordset, the columns of a table) finds the
  // connection lost before it runs. 0: never.
  std::uint64_t lost_at_query = 0;
  // After a loss, every attempt to connect again fails, as a server that stays down (also a
  // new connection to a target reached before).
  bool server_stays_down = false;
  // Before the execution with this number, the connection creates the file `pause_file` and
  // waits until it is removed again (at most 10 minutes): a test restarts or stops the real
  // server in between. 0: never.
  std::uint64_t pause_at_execute = 0;
  std::string pause_file;
};

// Sets the faults for the whole process, and starts the counts afresh.
void SetConnectionFaults(const ConnectionFaults& faults);

// The environment variable that sets the faults for a process, for tests of the programs: a
// comma-separated list of "lost-at-execute:N" (or "N-M", N to M), "lost-at-commit:N",
// "lost-at-query:N", "server-stays-down" and "pause-at-execute:N:FILE". Unset or empty, nothing
// changes. Read once, at the first use.
inline constexpr const char* kConnectionFaultsVariable = "ZUNA_ODBC_FAULTS";

// Reads the variable's text; a text that cannot be read is an error, so that a test never runs
// without the fault it asked for.
Result<ConnectionFaults> ParseConnectionFaults(std::string_view text);

// What the seam decided for the next execution or commit.
enum class InjectedFault : std::uint8_t { kNone, kLost };

// Counts an execution of an insert, pausing first if asked to; kLost when it is to find the
// connection lost. A variable that cannot be read is reported once on stderr and, so that no
// test passes without its fault, makes every execution find the connection lost.
InjectedFault BeforeExecute();
// Counts a query of the tool's; kLost when it is to find the connection lost.
InjectedFault BeforeQuery();
// Counts a commit of an array; kLost when it is to find the connection lost after it.
InjectedFault AfterCommit();
// Notes that a connection was found lost, real or injected.
void NoteConnectionLost();
// True when the server is to stay down: asked for, and a connection was lost.
bool ServerStaysDown();

}  // namespace zuna::sql::odbc
