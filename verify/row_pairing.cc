#include "verify/row_pairing.h"

#include <algorithm>
#include <tuple>

namespace zuna::verify {
namespace {

struct Candidate {
  std::size_t differing = 0;
  std::size_t missing = 0;  // index into result.missing_rows
  std::size_t extra = 0;    // index into result.extra_rows
};

std::size_t Differing(const std::vector<CanonicalValue>& a, const std::vector<CanonicalValue>& b,
                      std::size_t most) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (!(a[i] == b[i]) && ++count > most) break;
  }
  return count;
}

}  // namespace

void PairChangedRows(const TableLog& log, TableResult& result) {
  const std::size_t columns = result.columns.size();
  if (columns == 0 || result.missing_rows.empty() || result.extra_rows.empty()) return;
  const std::size_t most = std::max<std::size_t>(1, columns / 2);
  std::vector<Candidate> candidates;
  for (std::size_t m = 0; m < result.missing_rows.size(); ++m) {
    for (std::size_t e = 0; e < result.extra_rows.size(); ++e) {
      if (result.extra_rows[e].duplicate_of != 0) continue;
      const std::size_t differing =
          Differing(result.missing_rows[m].values, result.extra_rows[e].values, most);
      if (differing >= 1 && differing <= most) candidates.push_back({differing, m, e});
    }
  }
  std::sort(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
    return std::tie(a.differing, result.missing_rows[a.missing].row,
                    result.extra_rows[a.extra].row) < std::tie(b.differing,
                                                               result.missing_rows[b.missing].row,
                                                               result.extra_rows[b.extra].row);
  });
  std::vector<bool> missing_paired(result.missing_rows.size());
  std::vector<bool> extra_paired(result.extra_rows.size());
  for (const Candidate& c : candidates) {
    if (missing_paired[c.missing] || extra_paired[c.extra]) continue;
    missing_paired[c.missing] = extra_paired[c.extra] = true;
    const MissingRow& source = result.missing_rows[c.missing];
    const ExtraRow& target = result.extra_rows[c.extra];
    ChangedPair pair{source.row, target.row, {}, true};
    for (std::size_t i = 0; i < columns; ++i) {
      if (source.values[i] == target.values[i]) continue;
      pair.columns.push_back({result.columns[i], source.values[i], target.values[i]});
      if (!log.FieldLost(source.row, result.columns[i])) pair.logged = false;
    }
    ++(pair.logged ? result.changed_logged : result.changed);
    --result.missing;
    --result.extra;
    result.changed_pairs.push_back(std::move(pair));
  }
  std::sort(result.changed_pairs.begin(), result.changed_pairs.end(),
            [](const ChangedPair& a, const ChangedPair& b) { return a.source_row < b.source_row; });
  std::size_t kept = 0;
  for (std::size_t m = 0; m < result.missing_rows.size(); ++m) {
    if (!missing_paired[m]) result.missing_rows[kept++] = std::move(result.missing_rows[m]);
  }
  result.missing_rows.resize(kept);
  kept = 0;
  for (std::size_t e = 0; e < result.extra_rows.size(); ++e) {
    if (!extra_paired[e]) result.extra_rows[kept++] = std::move(result.extra_rows[e]);
  }
  result.extra_rows.resize(kept);
}

}  // namespace zuna::verify
