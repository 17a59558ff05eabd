#pragma once

#include <cstdint>

#include "platform/base/result.h"

namespace zuna::sql::sqlite {

// A seam under the embedded engine's files (database and journal), so that a full disk and a
// failing device can be tested deterministically, without a small file system or /dev/full.
// Once faults were set, every database the engine opens goes through it; with kNone it only
// passes the calls on.
struct StorageFaults {
  enum class Kind {
    kNone,
    // The files may still grow by `bytes`; a write that would grow them further fails as
    // write(2) fails on a full disk (SQLITE_FULL). Writes inside a file's present size succeed,
    // so a rollback can still restore the pages it saved.
    kDiskFull,
    // `bytes` may still be written; every later write and sync fails (SQLITE_IOERR_WRITE,
    // SQLITE_IOERR_FSYNC), as on a device that went bad.
    kIoError,
  };
  Kind kind = Kind::kNone;
  std::uint64_t bytes = 0;
};

// Sets the faults for every database opened from now on, in every thread; the byte allowance
// starts afresh.
void SetStorageFaults(const StorageFaults& faults);

// Counts the calls of SetStorageFaults: a database opened before the last one does not have the
// faults it set.
std::uint64_t StorageFaultsGeneration();

// The environment variable that sets the faults for a whole process, for tests of the programs:
// "disk-full:BYTES" or "io-error:BYTES". Unset or empty, nothing changes.
inline constexpr const char* kStorageFaultsVariable = "ZUNA_STORAGE_FAULTS";

// The name of the file layer a database is opened with: nullptr (SQLite's own) unless faults
// were set, by SetStorageFaults or by the environment variable (read once). A value of the
// variable that cannot be read is an error, so a test never runs without the fault it asked for.
Result<const char*> StorageLayerName();

}  // namespace zuna::sql::sqlite
