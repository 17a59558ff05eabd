#include "platform/sources/kept_connections.h"

namespace zuna::sources {

Result<std::shared_ptr<sql::sqlite::SqliteConnection>> KeptConnections::Open(
    const std::filesystem::path& file, const sql::sqlite::SqliteOptions& options,
    const Opener& open) {
  const bool held_elsewhere = connection_ && connection_.use_count() > 1;
  if (connection_ && !held_elsewhere && file_ == file && options_ == options &&
      connection_->ReadyForReuse(file)) {
    ++reused_;
    return connection_;
  }
  // A connection still held by an open recordset is left to it; one that cannot serve again is
  // closed before the next opens.
  if (!held_elsewhere) connection_.reset();
  auto opened = open();
  if (!opened.ok()) return opened;
  ++opened_;
  if (!held_elsewhere) {
    connection_ = *opened;
    file_ = file;
    options_ = options;
  }
  return opened;
}

}  // namespace zuna::sources
