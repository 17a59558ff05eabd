#include "platform/sql/sqlite/storage_faults.h"

#include <sqlite3.h>

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zuna::sql::sqlite {
namespace {

constexpr const char* kLayerName = "zuna-storage-faults";

std::atomic<StorageFaults::Kind> g_kind{StorageFaults::Kind::kNone};
std::atomic<std::int64_t> g_bytes_left{0};
std::atomic<bool> g_in_use{false};

// Takes `amount` from the allowance; false when it does not hold that much.
bool Consume(std::int64_t amount) {
  std::int64_t left = g_bytes_left.load();
  do {
    if (left < amount) return false;
  } while (!g_bytes_left.compare_exchange_weak(left, left - amount));
  return true;
}

// A file of the layer: SQLite's own file follows it in the same allocation.
struct FaultFile {
  sqlite3_file base;
  sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

FaultFile* Of(sqlite3_file* file) { return reinterpret_cast<FaultFile*>(file); }
sqlite3_vfs* Real(sqlite3_vfs* layer) { return static_cast<sqlite3_vfs*>(layer->pAppData); }

int Close(sqlite3_file* f) { return Of(f)->real()->pMethods->xClose(Of(f)->real()); }
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
  return Of(f)->real()->pMethods->xRead(Of(f)->real(), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
  sqlite3_file* real = Of(f)->real();
  switch (g_kind.load()) {
    case StorageFaults::Kind::kNone:
      break;
    case StorageFaults::Kind::kDiskFull: {
      sqlite3_int64 size = 0;
      if (const int rc = real->pMethods->xFileSize(real, &size); rc != SQLITE_OK) return rc;
      const sqlite3_int64 growth = offset + amount - size;
      if (growth > 0 && !Consume(growth)) return SQLITE_FULL;
      break;
    }
    case StorageFaults::Kind::kIoError:
      if (!Consume(amount)) return SQLITE_IOERR_WRITE;
      break;
  }
  return real->pMethods->xWrite(real, buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
  return Of(f)->real()->pMethods->xTruncate(Of(f)->real(), size);
}
int Sync(sqlite3_file* f, int flags) {
  if (g_kind.load() == StorageFaults::Kind::kIoError && g_bytes_left.load() <= 0) {
    return SQLITE_IOERR_FSYNC;
  }
  return Of(f)->real()->pMethods->xSync(Of(f)->real(), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
  return Of(f)->real()->pMethods->xFileSize(Of(f)->real(), size);
}
int Lock(sqlite3_file* f, int level) {
  return Of(f)->real()->pMethods->xLock(Of(f)->real(), level);
}
int Unlock(sqlite3_file* f, int level) {
  return Of(f)->real()->pMethods->xUnlock(Of(f)->real(), level);
}
int CheckReservedLock(sqlite3_file* f, int* out) {
  return Of(f)->real()->pMethods->xCheckReservedLock(Of(f)->real(), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
  return Of(f)->real()->pMethods->xFileControl(Of(f)->real(), op, arg);
}
int SectorSize(sqlite3_file* f) { return Of(f)->real()->pMethods->xSectorSize(Of(f)->real()); }
int DeviceCharacteristics(sqlite3_file* f) {
  return Of(f)->real()->pMethods->xDeviceCharacteristics(Of(f)->real());
}
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
  return Of(f)->real()->pMethods->xShmMap(Of(f)->real(), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return Of(f)->real()->pMethods->xShmLock(Of(f)->real(), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { Of(f)->real()->pMethods->xShmBarrier(Of(f)->real()); }
int ShmUnmap(sqlite3_file* f, int delete_flag) {
  return Of(f)->real()->pMethods->xShmUnmap(Of(f)->real(), delete_flag);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
  return Of(f)->real()->pMethods->xFetch(Of(f)->real(), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
  return Of(f)->real()->pMethods->xUnfetch(Of(f)->real(), offset, p);
}

// One table of methods per version SQLite's own files may have: a method the real file lacks
// must stay absent here too.
sqlite3_io_methods MethodsOfVersion(int version) {
  sqlite3_io_methods m{};
  m.iVersion = version;
  m.xClose = Close;
  m.xRead = Read;
  m.xWrite = Write;
  m.xTruncate = Truncate;
  m.xSync = Sync;
  m.xFileSize = FileSize;
  m.xLock = Lock;
  m.xUnlock = Unlock;
  m.xCheckReservedLock = CheckReservedLock;
  m.xFileControl = FileControl;
  m.xSectorSize = SectorSize;
  m.xDeviceCharacteristics = DeviceCharacteristics;
  if (version >= 2) {
    m.xShmMap = ShmMap;
    m.xShmLock = ShmLock;
    m.xShmBarrier = ShmBarrier;
    m.xShmUnmap = ShmUnmap;
  }
  if (version >= 3) {
    m.xFetch = Fetch;
    m.xUnfetch = Unfetch;
  }
  return m;
}

const sqlite3_io_methods kMethods[] = {MethodsOfVersion(1), MethodsOfVersion(2),
                                       MethodsOfVersion(3)};

int Open(sqlite3_vfs* layer, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  FaultFile* wrapped = Of(file);
  wrapped->base.pMethods = nullptr;
  const int rc = Real(layer)->xOpen(Real(layer), name, wrapped->real(), flags, out_flags);
  const sqlite3_io_methods* real_methods = wrapped->real()->pMethods;
  if (real_methods != nullptr) {
    const int version = real_methods->iVersion < 1   ? 1
                        : real_methods->iVersion > 3 ? 3
                                                     : real_methods->iVersion;
    wrapped->base.pMethods = &kMethods[version - 1];
  }
  return rc;
}
int Delete(sqlite3_vfs* layer, const char* name, int sync_dir) {
  return Real(layer)->xDelete(Real(layer), name, sync_dir);
}
int Access(sqlite3_vfs* layer, const char* name, int flags, int* out) {
  return Real(layer)->xAccess(Real(layer), name, flags, out);
}
int FullPathname(sqlite3_vfs* layer, const char* name, int size, char* out) {
  return Real(layer)->xFullPathname(Real(layer), name, size, out);
}
void* DlOpen(sqlite3_vfs* layer, const char* name) {
  return Real(layer)->xDlOpen(Real(layer), name);
}
void DlError(sqlite3_vfs* layer, int size, char* out) {
  Real(layer)->xDlError(Real(layer), size, out);
}
void (*DlSym(sqlite3_vfs* layer, void* handle, const char* symbol))(void) {
  return Real(layer)->xDlSym(Real(layer), handle, symbol);
}
void DlClose(sqlite3_vfs* layer, void* handle) { Real(layer)->xDlClose(Real(layer), handle); }
int Randomness(sqlite3_vfs* layer, int size, char* out) {
  return Real(layer)->xRandomness(Real(layer), size, out);
}
int Sleep(sqlite3_vfs* layer, int microseconds) {
  return Real(layer)->xSleep(Real(layer), microseconds);
}
int CurrentTime(sqlite3_vfs* layer, double* out) {
  return Real(layer)->xCurrentTime(Real(layer), out);
}
int GetLastError(sqlite3_vfs* layer, int size, char* out) {
  return Real(layer)->xGetLastError(Real(layer), size, out);
}
int CurrentTimeInt64(sqlite3_vfs* layer, sqlite3_int64* out) {
  return Real(layer)->xCurrentTimeInt64(Real(layer), out);
}

// Registers the layer over SQLite's default file layer, once.
bool Register() {
  static const bool registered = [] {
    sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
    if (real == nullptr) return false;
    static sqlite3_vfs layer{};
    // Version 2 at most: the system-call overrides of version 3 are SQLite's own testing hooks.
    layer.iVersion = real->iVersion < 2 ? real->iVersion : 2;
    layer.szOsFile = static_cast<int>(sizeof(FaultFile)) + real->szOsFile;
    layer.mxPathname = real->mxPathname;
    layer.zName = kLayerName;
    layer.pAppData = real;
    layer.xOpen = Open;
    layer.xDelete = Delete;
    layer.xAccess = Access;
    layer.xFullPathname = FullPathname;
    layer.xDlOpen = DlOpen;
    layer.xDlError = DlError;
    layer.xDlSym = DlSym;
    layer.xDlClose = DlClose;
    layer.xRandomness = Randomness;
    layer.xSleep = Sleep;
    layer.xCurrentTime = CurrentTime;
    layer.xGetLastError = GetLastError;
    if (layer.iVersion >= 2) layer.xCurrentTimeInt64 = CurrentTimeInt64;
    return sqlite3_vfs_register(&layer, 0) == SQLITE_OK;
  }();
  return registered;
}

void Apply(const StorageFaults& faults) {
  g_bytes_left.store(static_cast<std::int64_t>(
      faults.bytes > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : faults.bytes));
  g_kind.store(faults.kind);
  g_in_use.store(true);
}

// "disk-full:BYTES" or "io-error:BYTES".
Result<StorageFaults> ParseFaults(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view kind = text.substr(0, colon);
  StorageFaults faults;
  if (kind == "disk-full") {
    faults.kind = StorageFaults::Kind::kDiskFull;
  } else if (kind == "io-error") {
    faults.kind = StorageFaults::Kind::kIoError;
  }
  const std::string_view bytes =
      colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  const auto [end, ec] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), faults.bytes);
  if (faults.kind == StorageFaults::Kind::kNone || bytes.empty() || ec != std::errc() ||
      end != bytes.data() + bytes.size()) {
    return Status(ErrorKind::kInvalidArgument, SQLITE_MISUSE,
                  std::string(kStorageFaultsVariable) + "=\"" + std::string(text) +
                      "\" is not understood (disk-full:BYTES or io-error:BYTES)");
  }
  return faults;
}

}  // namespace

namespace {
std::atomic<std::uint64_t> g_generation{0};
}  // namespace

void SetStorageFaults(const StorageFaults& faults) {
  g_generation.fetch_add(1);
  if (Register()) Apply(faults);
}

std::uint64_t StorageFaultsGeneration() { return g_generation.load(); }

Result<const char*> StorageLayerName() {
  static const Status from_environment = [] {
    const char* value = std::getenv(kStorageFaultsVariable);
    if (value == nullptr || *value == '\0') return Status::Ok();
    auto faults = ParseFaults(value);
    if (!faults.ok()) return faults.status();
    SetStorageFaults(*faults);
    return Status::Ok();
  }();
  if (!from_environment.ok()) return from_environment;
  return g_in_use.load() ? kLayerName : static_cast<const char*>(nullptr);
}

}  // namespace zuna::sql::sqlite
