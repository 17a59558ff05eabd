#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zuna::transfer {

// How one field of a new target row is assigned from the current source row.
enum class FieldRule {
  kCopy,                // the source value, unchanged
  kDateRule,            // the date rule: null or out of range gives "01/01/1900"
  kDateRuleNoNullTest,  // the date rule without its null test (a null is out of range)
  kTrimAndCut,          // dsgn_desc: trimmed, or the first 50 characters when that is long
  kNullAsText,          // pband_no: a null becomes the text "NULL"
  kNullAsEmptyText,     // ddo_code of the ddo walk: a null becomes the empty text
};

struct FieldOperation {
  std::string field;
  FieldRule rule = FieldRule::kCopy;
  bool logged = false;  // a replaced date writes a line to the entry's anomaly log
};

enum class AnomalyLog { kNone, kPersonnel, kPaybill };

// One table of a pass: where its file is, what a missing file means, and how its rows are
// copied, field by field in this order.
struct CatalogEntry {
  std::string table;
  std::string not_found_message;   // shown when the file is missing (empty: a script runs)
  std::string master_data_script;  // run instead of a message when the file is missing
  std::string select_text;         // the same for the target and the source
  AnomalyLog log = AnomalyLog::kNone;
  bool column_walk = false;  // ddo: only a column named ddo_code is copied
  std::vector<FieldOperation> fields;
};

// The 26 tables of the first pass, the 10 of TransferSecondPass and the 31 of TransferThirdPass,
// in the order they run.
std::span<const CatalogEntry> FirstPassCatalog();
std::span<const CatalogEntry> SecondPassCatalog();
std::span<const CatalogEntry> ThirdPassCatalog();

// "select * from NAME", the name in brackets when it holds a hyphen.
std::string SelectText(std::string_view table);

}  // namespace zuna::transfer
