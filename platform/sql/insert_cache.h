#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zuna::sql {

// The prepared inserts of one connection, one per table and set of assigned columns. An import
// saves row after row into one table with the same columns, so the last statement found is
// tried first, without building a key. `Owner` holds a statement (unique_ptr or handle) and
// has get().
template <typename Owner>
class InsertCache {
 public:
  using Statement = decltype(std::declval<Owner&>().get());

  // The statement prepared for `table` and `assigned`, or null.
  Statement Find(std::string_view table, const std::vector<int>& assigned) {
    if (last_ != nullptr && table == last_table_ && assigned == last_assigned_) return last_;
    const auto it = statements_.find(Key{std::string(table), assigned});
    if (it == statements_.end()) return nullptr;
    Remember(table, assigned, it->second.get());
    return last_;
  }

  Statement Add(std::string_view table, const std::vector<int>& assigned, Owner statement) {
    Statement raw = statement.get();
    statements_.insert_or_assign(Key{std::string(table), assigned}, std::move(statement));
    Remember(table, assigned, raw);
    return raw;
  }

  void Clear() {
    last_ = nullptr;
    last_table_.clear();
    last_assigned_.clear();
    statements_.clear();
  }

 private:
  using Key = std::pair<std::string, std::vector<int>>;

  void Remember(std::string_view table, const std::vector<int>& assigned, Statement statement) {
    last_table_ = table;
    last_assigned_ = assigned;
    last_ = statement;
  }

  std::map<Key, Owner> statements_;
  std::string last_table_;
  std::vector<int> last_assigned_;
  Statement last_ = nullptr;
};

}  // namespace zuna::sql
