#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/base/result.h"
#include "platform/files/file_env.h"
#include "verify/row_hash.h"

namespace zuna::verify {

// One row of one side: the hash of its canonical values and a number that finds it again (the
// source row number, or the target row's place in the order read).
struct HashEntry {
  RowHash hash;
  std::uint64_t tag = 0;
  friend auto operator<=>(const HashEntry&, const HashEntry&) = default;
};

// Sorts the entries of one side by hash, then tag, within a memory budget. Entries are kept in
// memory until they fill the budget; then they are sorted and written as a run to `spill_path`,
// and the runs are merged when read, each run read back in chunks into its own slice of the same
// buffer. So a table of any size needs the budget, never memory in proportion to its rows. The
// spill file is written through `env` (the file seam), read back with pread, and removed when the
// sorter goes away.
class EntrySorter {
 public:
  EntrySorter(std::size_t memory_budget, std::filesystem::path spill_path,
              files::FileEnv& env = files::FileEnv::Default());
  ~EntrySorter();
  EntrySorter(const EntrySorter&) = delete;
  EntrySorter& operator=(const EntrySorter&) = delete;

  Status Add(const HashEntry& entry);
  // Ends the adding; Next then gives every entry in order.
  Status Finish();
  // The next entry in order; false after the last.
  Result<bool> Next(HashEntry& entry);

  std::uint64_t size() const { return size_; }
  // Runs written to disk: 0 while everything fitted the budget.
  std::size_t runs() const { return runs_.size(); }

 private:
  struct Run {
    std::uint64_t first = 0;  // index of its first entry in the spill file
    std::uint64_t count = 0;
  };
  struct RunReader;
  Status Spill();
  Status OpenRuns();

  std::size_t capacity_;  // entries held in memory at most
  std::filesystem::path spill_path_;
  files::FileEnv& env_;
  std::unique_ptr<files::WritableFile> spill_;
  std::vector<HashEntry> memory_;
  std::vector<Run> runs_;
  std::vector<std::unique_ptr<RunReader>> readers_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::uint64_t spilled_ = 0;  // entries written so far
  std::size_t next_in_memory_ = 0;
  bool finished_ = false;
};

}  // namespace zuna::verify
