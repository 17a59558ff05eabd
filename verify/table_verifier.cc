#include "verify/table_verifier.h"

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <queue>
#include <thread>
#include <utility>

#include "platform/dbf/foxpro_source.h"
#include "platform/files/file_system.h"
#include "platform/sources/data_sources.h"
#include "verify/entry_sorter.h"
#include "verify/locked_file_env.h"
#include "verify/row_pairing.h"
#include "verify/table_sides.h"

namespace zuna::verify {
namespace {

// A folder of its own for the runs of one table, removed with everything in it at the end.
class SpillFolder {
 public:
  static Result<SpillFolder> Create(const std::filesystem::path& parent) {
    std::string pattern =
        ((parent.empty() ? std::filesystem::temp_directory_path() : parent) / "zuna-verify-XXXXXX")
            .string();
    if (::mkdtemp(pattern.data()) == nullptr) return files::ErrnoStatus(errno, pattern);
    return SpillFolder(pattern);
  }
  SpillFolder(SpillFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  SpillFolder& operator=(SpillFolder&&) = delete;
  ~SpillFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  explicit SpillFolder(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
};

// Keeps the `limit` smallest numbers met, each with what goes with it.
template <typename T>
class Smallest {
 public:
  explicit Smallest(std::size_t limit) : limit_(limit) {}
  void Offer(std::uint64_t key, const T& item) {
    if (limit_ == 0) return;
    if (heap_.size() < limit_) {
      heap_.emplace(key, item);
    } else if (key < heap_.top().first) {
      heap_.pop();
      heap_.emplace(key, item);
    }
  }
  // In ascending order of the numbers.
  std::vector<std::pair<std::uint64_t, T>> Take() {
    std::vector<std::pair<std::uint64_t, T>> items;
    while (!heap_.empty()) {
      items.push_back(heap_.top());
      heap_.pop();
    }
    std::reverse(items.begin(), items.end());
    return items;
  }

 private:
  struct ByKey {
    bool operator()(const std::pair<std::uint64_t, T>& a,
                    const std::pair<std::uint64_t, T>& b) const {
      return a.first < b.first;
    }
  };
  std::size_t limit_;
  std::priority_queue<std::pair<std::uint64_t, T>, std::vector<std::pair<std::uint64_t, T>>, ByKey>
      heap_;
};

struct ExtraKey {
  RowHash hash;
  std::uint64_t duplicate_of = 0;
};

class Comparison {
 public:
  Comparison(const transfer::CatalogEntry& entry, const sources::DataSources& sources,
             const std::shared_ptr<sql::Connection>& target, const TableLog& log,
             const VerifyOptions& options, TableResult& result)
      : entry_(entry),
        sources_(sources),
        target_(target),
        log_(log),
        options_(options),
        env_(options.env ? *options.env : files::FileEnv::Default()),
        result_(result),
        refused_(options.detail_rows),
        missing_(options.detail_rows),
        extras_(options.detail_rows) {}

  Status Run();

 private:
  Status HashSides(EntrySorter& source, EntrySorter& target);
  Status HashSource(SourceSide& source, EntrySorter& entries, const std::atomic<bool>& stop);
  Status HashTarget(EntrySorter& entries, std::uint64_t& rows, const std::atomic<bool>& stop);
  Status Merge(EntrySorter& source, EntrySorter& target);
  void Missing(std::uint64_t row);
  Status CaptureDetails();

  const transfer::CatalogEntry& entry_;
  const sources::DataSources& sources_;
  const std::shared_ptr<sql::Connection>& target_;
  const TableLog& log_;
  const VerifyOptions& options_;
  LockedFileEnv env_;
  TableResult& result_;
  std::vector<sql::ColumnInfo> target_columns_;
  bool target_exists_ = true;
  TablePlan plan_;
  Smallest<bool> refused_;
  Smallest<bool> missing_;
  Smallest<ExtraKey> extras_;
};

Status Comparison::Run() {
  if (auto columns = target_->TableColumns(entry_.table); columns.ok()) {
    target_columns_ = std::move(columns).value();
  } else if (columns.status().kind() == ErrorKind::kNotFound) {
    target_exists_ = false;
    result_.outcome = TableResult::Outcome::kNoTargetTable;
  } else {
    return columns.status();
  }
  ASSIGN_OR_RETURN(SpillFolder folder, SpillFolder::Create(options_.spill_folder));
  EntrySorter source(options_.memory_budget / 2, folder.path() / "source", env_);
  EntrySorter target(options_.memory_budget / 2, folder.path() / "target", env_);
  RETURN_IF_ERROR(HashSides(source, target));
  RETURN_IF_ERROR(source.Finish());
  RETURN_IF_ERROR(target.Finish());
  result_.spilled_runs = source.runs() + target.runs();
  RETURN_IF_ERROR(Merge(source, target));
  RETURN_IF_ERROR(CaptureDetails());
  PairChangedRows(log_, result_);
  return Status::Ok();
}

// The target is read on a thread of its own while the FoxPro rows are hashed on this one: the
// sides meet only in their sorted hashes, so on two cores the comparison takes about the time
// of the longer side instead of both. A side that fails stops the other.
Status Comparison::HashSides(EntrySorter& source_entries, EntrySorter& target_entries) {
  SourceSide source(entry_, sources_, log_);
  ASSIGN_OR_RETURN(plan_, source.Open(target_columns_));
  for (const ComparedColumn& column : plan_.columns) result_.columns.push_back(column.name);
  result_.not_compared = plan_.not_compared;
  result_.adds_rows = plan_.adds_rows;
  std::atomic<bool> stop = false;
  Status target_read;
  std::uint64_t target_rows = 0;
  std::thread target_thread;
  if (target_exists_) {
    target_thread = std::thread([&] {
      target_read = HashTarget(target_entries, target_rows, stop);
      if (!target_read.ok()) stop = true;
    });
  }
  Status source_read = HashSource(source, source_entries, stop);
  if (!source_read.ok()) stop = true;
  if (target_thread.joinable()) target_thread.join();
  result_.target_rows = target_rows;
  const Status closed = source.Close();
  RETURN_IF_ERROR(source_read);
  RETURN_IF_ERROR(target_read);
  return closed;
}

Status Comparison::HashSource(SourceSide& source, EntrySorter& entries,
                              const std::atomic<bool>& stop) {
  while (!stop) {
    ASSIGN_OR_RETURN(const bool more, source.Next());
    if (!more) return Status::Ok();
    ++result_.source_rows;
    if (plan_.adds_rows) RETURN_IF_ERROR(entries.Add({source.Hash(plan_), source.row()}));
  }
  return Status::Ok();
}

Status Comparison::HashTarget(EntrySorter& entries, std::uint64_t& rows,
                              const std::atomic<bool>& stop) {
  TargetSide target(target_);
  RETURN_IF_ERROR(target.Open(entry_.table, plan_));
  while (!stop) {
    ASSIGN_OR_RETURN(const bool more, target.Next());
    if (!more) return Status::Ok();
    ++rows;
    RETURN_IF_ERROR(entries.Add({target.Hash(plan_), target.row()}));
  }
  return Status::Ok();
}

void Comparison::Missing(std::uint64_t row) {
  if (log_.Refused(row)) {
    ++result_.refused_logged;
    refused_.Offer(row, true);
  } else {
    ++result_.missing;
    missing_.Offer(row, true);
  }
}

// Walks both sorted sides at once, hash group by hash group: a group's rows on both sides are
// equal rows; what one side has more of is missing or extra.
Status Comparison::Merge(EntrySorter& source, EntrySorter& target) {
  HashEntry s, t;
  ASSIGN_OR_RETURN(bool has_source, source.Next(s));
  ASSIGN_OR_RETURN(bool has_target, target.Next(t));
  std::vector<std::uint64_t> source_group, target_group;
  while (has_source || has_target) {
    const RowHash hash = !has_target || (has_source && s.hash < t.hash) ? s.hash : t.hash;
    source_group.clear();
    target_group.clear();
    while (has_source && s.hash == hash) {
      source_group.push_back(s.tag);
      ASSIGN_OR_RETURN(has_source, source.Next(s));
    }
    while (has_target && t.hash == hash) {
      target_group.push_back(t.tag);
      ASSIGN_OR_RETURN(has_target, target.Next(t));
    }
    result_.equal += std::min(source_group.size(), target_group.size());
    if (source_group.size() > target_group.size()) {
      // Of equal rows, the ones the log lists as refused are the ones the target lacks.
      std::stable_partition(source_group.begin(), source_group.end(),
                            [&](std::uint64_t row) { return log_.Refused(row); });
      const std::size_t lacking = source_group.size() - target_group.size();
      for (std::size_t i = 0; i < lacking; ++i) Missing(source_group[i]);
    } else if (target_group.size() > source_group.size()) {
      const std::uint64_t duplicate_of = source_group.empty() ? 0 : source_group.front();
      for (std::size_t i = source_group.size(); i < target_group.size(); ++i) {
        ++result_.extra;
        if (duplicate_of != 0) ++result_.duplicates;
        extras_.Offer(target_group[i], {hash, duplicate_of});
      }
    }
  }
  return Status::Ok();
}

// Reads both sides again for the values of the rows kept for the report, only for a table with
// differences.
Status Comparison::CaptureDetails() {
  for (const auto& [row, unused] : refused_.Take()) {
    result_.refused_rows.push_back({row, {}, log_.MessageFor(row)});
  }
  const auto missing = missing_.Take();
  if (!missing.empty()) {
    SourceSide source(entry_, sources_, log_);
    ASSIGN_OR_RETURN(const TablePlan plan, source.Open(target_columns_));
    auto next = missing.begin();
    while (next != missing.end()) {
      ASSIGN_OR_RETURN(const bool more, source.Next());
      if (!more) break;
      if (source.row() != next->first) continue;
      result_.missing_rows.push_back({source.row(), source.Values(plan), {}});
      ++next;
    }
    RETURN_IF_ERROR(source.Close());
  }
  const auto extras = extras_.Take();
  if (extras.empty()) return Status::Ok();
  // The target's order need not be the same twice (a server may return rows in any order), so
  // its rows are found again by hash.
  std::multimap<RowHash, std::size_t> wanted;
  for (const auto& [row, key] : extras) {
    wanted.emplace(key.hash, result_.extra_rows.size());
    result_.extra_rows.push_back({row, key.duplicate_of, {}});
  }
  TargetSide target(target_);
  RETURN_IF_ERROR(target.Open(entry_.table, plan_));
  while (!wanted.empty()) {
    ASSIGN_OR_RETURN(const bool more, target.Next());
    if (!more) break;
    const auto [first, last] = wanted.equal_range(target.Hash(plan_));
    if (first == last) continue;
    const std::vector<CanonicalValue> values = target.Values(plan_);
    for (auto it = first; it != last; ++it) result_.extra_rows[it->second].values = values;
    wanted.erase(first, last);
  }
  return Status::Ok();
}

}  // namespace

TableResult VerifyTable(const transfer::CatalogEntry& entry, const sources::DataSources& sources,
                        const std::shared_ptr<sql::Connection>& target, const TableLog& log,
                        const VerifyOptions& options) {
  TableResult result;
  result.table = entry.table;
  if (dbf::FindTableFile(sources.DataFolder(), entry.table).empty()) {
    result.outcome = TableResult::Outcome::kNoSourceFile;
    return result;
  }
  if (Status compared = Comparison(entry, sources, target, log, options, result).Run();
      !compared.ok()) {
    result.outcome = TableResult::Outcome::kFailed;
    result.failure = compared.WithContext(entry.table);
  }
  return result;
}

}  // namespace zuna::verify
