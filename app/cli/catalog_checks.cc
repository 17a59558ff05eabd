#include "app/cli/catalog_checks.h"

#include <algorithm>
#include <system_error>

#include "core/connection_texts.h"
#include "import/catalog.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/operator/operator.h"
#include "platform/recordset/quoted_name.h"
#include "platform/sources/data_sources.h"
#include "platform/sql/sql_recordset.h"

namespace zuna::cli {
namespace {

namespace fs = std::filesystem;

// Every pass in its order: the not-found messages come as the import shows them.
template <typename Visit>
void ForEachEntry(Visit visit) {
  for (const auto& pass : {transfer::FirstPassCatalog(), transfer::SecondPassCatalog(),
                           transfer::ThirdPassCatalog()}) {
    for (const transfer::CatalogEntry& entry : pass) visit(entry);
  }
}

}  // namespace

std::vector<std::string> CataloguedTables() {
  std::vector<std::string> tables;
  ForEachEntry([&tables](const transfer::CatalogEntry& entry) {
    if (std::find(tables.begin(), tables.end(), entry.table) == tables.end()) {
      tables.push_back(entry.table);
    }
  });
  return tables;
}

bool HoldsACataloguedTable(const fs::path& data_folder) {
  bool found = false;
  ForEachEntry([&](const transfer::CatalogEntry& entry) {
    found = found || !dbf::FindTableFile(data_folder, entry.table).empty();
  });
  return found;
}

std::string EmptyDataFolderReason(const fs::path& data_folder) {
  std::error_code error;
  const fs::file_status status = fs::status(data_folder, error);
  if (!fs::exists(status)) return "the data folder " + data_folder.string() + " does not exist";
  if (!fs::is_directory(status)) {
    return "the data folder " + data_folder.string() + " is not a folder";
  }
  return "the data folder " + data_folder.string() + " holds none of the " +
         std::to_string(CataloguedTables().size()) + " catalogued tables (personnel.dbf, ...)";
}

void ShowNotFoundMessages(const fs::path& data_folder, Operator& op) {
  ForEachEntry([&](const transfer::CatalogEntry& entry) {
    if (entry.not_found_message.empty()) return;
    if (!dbf::FindTableFile(data_folder, entry.table).empty()) return;
    op.ShowMessage(entry.not_found_message, MessageIcon::kInformation, MessageTitle::kDefault);
  });
}

std::vector<TableRows> CataloguedTablesWithRows(const sources::DataSources& sources) {
  std::vector<TableRows> holding;
  auto connection = sources.OpenConnection(core::kPayConnection);
  if (!connection.ok()) return holding;
  for (const std::string& table : CataloguedTables()) {
    auto count =
        sql::OpenSqlRecordset(*connection, "select count(*) from " + recordset::BracketName(table));
    if (!count.ok()) continue;
    auto value = (*count)->Field(0);
    const double rows = value.ok() ? (*value)->AsDouble() : 0;
    if (rows > 0) holding.push_back({table, static_cast<std::uint64_t>(rows)});
    (void)(*count)->Close();
  }
  return holding;
}

}  // namespace zuna::cli
