// EntrySorter: every entry comes back once, in order, whether it stayed in memory or went to disk
// in runs that are read back through slices of one buffer.
#include "verify/entry_sorter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "tests/support/dbf_builder.h"

namespace zuna::verify {
namespace {

std::vector<HashEntry> Shuffled(std::size_t count, std::uint32_t seed) {
  std::mt19937_64 random(seed);
  std::vector<HashEntry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    // Few distinct hashes, so that equal hashes fall into different runs and the tags order them.
    entries.push_back({{random() % 97, random() % 3}, i + 1});
  }
  return entries;
}

std::vector<HashEntry> SortThrough(EntrySorter& sorter, const std::vector<HashEntry>& entries) {
  for (const HashEntry& entry : entries) EXPECT_TRUE(sorter.Add(entry).ok());
  EXPECT_TRUE(sorter.Finish().ok());
  std::vector<HashEntry> out;
  HashEntry entry;
  for (;;) {
    auto more = sorter.Next(entry);
    EXPECT_TRUE(more.ok()) << more.status().ToString();
    if (!more.ok() || !*more) break;
    out.push_back(entry);
  }
  return out;
}

TEST(EntrySorterTest, GivesEveryEntryOnceInOrderInMemoryAndFromRuns) {
  struct Case {
    const char* what;
    std::size_t entries;
    std::size_t budget_entries;
    std::size_t runs;
  };
  const Case cases[] = {
      {"in memory", 500, 1000, 0},
      {"exactly the budget", 1000, 1000, 0},
      // Five runs of 1,000 read back 200 at a time: every run is refilled several times.
      {"runs refilled", 5000, 1000, 5},
      // More runs than the budget has room for at 64 entries each: the buffer grows to hold them.
      {"many small runs", 3000, 10, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testkit::TempFolder folder;
    const std::vector<HashEntry> entries = Shuffled(c.entries, 7);
    EntrySorter sorter(c.budget_entries * sizeof(HashEntry), folder.path() / "run");
    std::vector<HashEntry> expected = entries;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortThrough(sorter, entries), expected);
    EXPECT_EQ(sorter.runs(), c.runs);
    EXPECT_EQ(sorter.size(), c.entries);
  }
}

}  // namespace
}  // namespace zuna::verify
