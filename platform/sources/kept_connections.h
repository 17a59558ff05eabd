#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "platform/base/result.h"
#include "platform/sql/sqlite/save_groups.h"
#include "platform/sql/sqlite/sqlite_connection.h"

namespace zuna::sources {

// The embedded database's connection kept from one recordset to the next, as ADO's session
// pooling hands a connection released by a closed recordset to the next open of the same
// connection string: a run that opens one recordset per table does not open the database again
// for each, nor read its schema and set its pragmas again.
//
// A connection is handed on only when nothing holds it any more, it is of the same file with
// the same options and storage faults, and its work has ended (SqliteConnection::ReadyForReuse:
// its last group committed, every refusal taken by the recordset that closed). Otherwise it is
// closed and a new one opened. Used only on the thread that made it.
class KeptConnections {
 public:
  using Opener = std::function<Result<std::shared_ptr<sql::sqlite::SqliteConnection>>()>;

  KeptConnections() = default;
  KeptConnections(const KeptConnections&) = delete;
  KeptConnections& operator=(const KeptConnections&) = delete;

  // The kept connection when it may serve `file` again, else one that `open` makes (kept for
  // the next call unless the kept one is still held elsewhere).
  Result<std::shared_ptr<sql::sqlite::SqliteConnection>> Open(
      const std::filesystem::path& file, const sql::sqlite::SqliteOptions& options,
      const Opener& open);

  bool OnOwnerThread() const { return owner_ == std::this_thread::get_id(); }
  // Connections handed on again, and opened, since this was made.
  std::uint64_t reused() const { return reused_; }
  std::uint64_t opened() const { return opened_; }

 private:
  const std::thread::id owner_ = std::this_thread::get_id();
  std::filesystem::path file_;
  sql::sqlite::SqliteOptions options_;
  std::shared_ptr<sql::sqlite::SqliteConnection> connection_;
  std::uint64_t reused_ = 0;
  std::uint64_t opened_ = 0;
};

}  // namespace zuna::sources
