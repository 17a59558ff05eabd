#include "verify/entry_sorter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files/file_system.h"

namespace zuna::verify {
namespace {

constexpr std::size_t kEntryBytes = sizeof(HashEntry);
// The fewest entries a run reader holds at once, however many runs there are.
constexpr std::size_t kLeastReaderEntries = 64;

}  // namespace

// Reads one sorted run back in chunks, into its own slice of the sorter's buffer.
struct EntrySorter::RunReader {
  Run run;
  HashEntry* buffer = nullptr;
  std::size_t chunk = 0;     // the slice's size
  std::size_t filled = 0;    // entries in the slice now
  std::size_t position = 0;  // the next of them
  std::uint64_t read = 0;    // entries of the run read from the file so far

  Status Refill(int fd, const std::filesystem::path& path) {
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunk, run.count - read));
    position = 0;
    filled = 0;
    std::size_t done = 0;
    const std::size_t bytes = count * kEntryBytes;
    auto* target = reinterpret_cast<char*>(buffer);
    while (done < bytes) {
      const ssize_t got = ::pread(fd, target + done, bytes - done,
                                  static_cast<off_t>((run.first + read) * kEntryBytes + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return files::ErrnoStatus(errno, path);
      if (got == 0) return files::ErrnoStatus(EIO, path).WithContext("the run ends early");
      done += static_cast<std::size_t>(got);
    }
    filled = count;
    read += count;
    return Status::Ok();
  }
  bool empty() const { return position == filled; }
  bool exhausted() const { return empty() && read == run.count; }
};

EntrySorter::EntrySorter(std::size_t memory_budget, std::filesystem::path spill_path,
                         files::FileEnv& env)
    : capacity_(std::max<std::size_t>(memory_budget / kEntryBytes, 2)),
      spill_path_(std::move(spill_path)),
      env_(env) {}

EntrySorter::~EntrySorter() {
  if (spill_) (void)spill_->Close();
  if (fd_ >= 0) ::close(fd_);
  if (!runs_.empty() || spill_) {
    std::error_code ignored;
    std::filesystem::remove(spill_path_, ignored);
  }
}

Status EntrySorter::Add(const HashEntry& entry) {
  if (memory_.size() == capacity_) RETURN_IF_ERROR(Spill());
  // Room for the whole budget at once: grown by doubling, the vector would pass the budget by up
  // to half of it, and hold the old and the new array together while it moves. Pages not yet
  // written take no memory, so a small table pays nothing for the room.
  if (memory_.capacity() < capacity_) memory_.reserve(capacity_);
  memory_.push_back(entry);
  ++size_;
  return Status::Ok();
}

Status EntrySorter::Spill() {
  if (!spill_) {
    ASSIGN_OR_RETURN(spill_, env_.OpenForWriting(spill_path_, files::WriteMode::kReplace));
  }
  std::sort(memory_.begin(), memory_.end());
  RETURN_IF_ERROR(spill_->Append(std::string_view(reinterpret_cast<const char*>(memory_.data()),
                                                  memory_.size() * kEntryBytes)));
  runs_.push_back({spilled_, memory_.size()});
  spilled_ += memory_.size();
  memory_.clear();
  return Status::Ok();
}

Status EntrySorter::Finish() {
  finished_ = true;
  if (runs_.empty()) {
    std::sort(memory_.begin(), memory_.end());
    return Status::Ok();
  }
  if (!memory_.empty()) RETURN_IF_ERROR(Spill());
  Status closed = spill_->Close();
  spill_.reset();
  RETURN_IF_ERROR(closed);
  return OpenRuns();
}

Status EntrySorter::OpenRuns() {
  fd_ = ::open(spill_path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return files::ErrnoStatus(errno, spill_path_);
  // The readers share the buffer the runs were sorted in, a slice each, so that merging takes
  // the budget and no more: a buffer freed and new ones taken would not give the memory back to
  // the system in time (the allocator keeps it), and the peak would be the budget twice.
  memory_.resize(std::max(capacity_, runs_.size() * kLeastReaderEntries));
  const std::size_t chunk = memory_.size() / runs_.size();
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    auto reader = std::make_unique<RunReader>();
    reader->run = runs_[i];
    reader->buffer = memory_.data() + i * chunk;
    reader->chunk = chunk;
    RETURN_IF_ERROR(reader->Refill(fd_, spill_path_));
    readers_.push_back(std::move(reader));
  }
  return Status::Ok();
}

Result<bool> EntrySorter::Next(HashEntry& entry) {
  if (runs_.empty()) {
    if (next_in_memory_ == memory_.size()) return false;
    entry = memory_[next_in_memory_++];
    return true;
  }
  // A linear look over the runs' heads: there are few runs, as each holds a budget's worth.
  RunReader* best = nullptr;
  for (auto& reader : readers_) {
    if (reader->empty()) continue;
    if (best == nullptr || reader->buffer[reader->position] < best->buffer[best->position]) {
      best = reader.get();
    }
  }
  if (best == nullptr) return false;
  entry = best->buffer[best->position++];
  if (best->empty() && !best->exhausted()) RETURN_IF_ERROR(best->Refill(fd_, spill_path_));
  return true;
}

}  // namespace zuna::verify
