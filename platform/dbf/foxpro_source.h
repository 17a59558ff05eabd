#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/result.h"
#include "platform/recordset/recordset.h"

namespace zuna::dbf {

// Where and how the FoxPro data source ("dsn=foxpay") reads its tables.
struct FoxProSourceOptions {
  std::filesystem::path data_folder;
  std::optional<int> code_page;  // overrides the code page each table declares
  bool skip_deleted = true;
};

// The statements the FoxPro data source answers.
struct SourceStatement {
  enum class Kind { kSelectAll, kCount };
  Kind kind = Kind::kSelectAll;
  std::string table;
};

// Parses "select * from NAME", "select * from [NAME]", "select count(*) from NAME" and
// "select count(*) from [NAME]" (keywords in any case, blanks free). Any other statement is
// refused with FoxPro's "unrecognized phrase" error.
Result<SourceStatement> ParseSourceStatement(std::string_view text);

// The table's file in the data folder: NAME.dbf, found whatever the case of its name. Empty when
// there is none. Any entry of that name counts, a folder, a named pipe or a broken link too: it
// is there, so reading it must fail with what it is rather than the table be called missing.
// The import's existence test and the reading both use it.
std::filesystem::path FindTableFile(const std::filesystem::path& data_folder,
                                    std::string_view table);

// Opens a read-only recordset for `text` on the FoxPro tables. A count query gives one row with
// one column "cnt". The rows stream from the file; memory does not grow with the table.
Result<std::unique_ptr<recordset::Recordset>> OpenFoxProRecordset(
    std::string_view text, const FoxProSourceOptions& options);

}  // namespace zuna::dbf
