#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zuna {
class Operator;
namespace sources {
class DataSources;
}
}  // namespace zuna

// What the command line checks about the catalogued tables before it imports or reports: that
// the data folder holds any of them, and which of them already hold rows in the target.
namespace zuna::cli {

// The tables of the three passes, each once, in the order they are imported.
std::vector<std::string> CataloguedTables();

// True when `data_folder` holds the file of at least one catalogued table.
bool HoldsACataloguedTable(const std::filesystem::path& data_folder);

// Why the import or the report would have nothing to read from `data_folder` (missing, not a
// folder, or none of the catalogued tables in it), for a message that names it.
std::string EmptyDataFolderReason(const std::filesystem::path& data_folder);

// The not-found message of every catalogued table whose file is missing, as the passes show
// them, in their order (the tables a master-data script stands in for show none).
void ShowNotFoundMessages(const std::filesystem::path& data_folder, Operator& op);

struct TableRows {
  std::string table;
  std::uint64_t rows = 0;
};

// The catalogued tables of the target ("dsn=pay") that hold rows, in import order. A table the
// target lacks, or a target that does not open, holds none here: the import reports those
// itself, table by table.
std::vector<TableRows> CataloguedTablesWithRows(const sources::DataSources& sources);

}  // namespace zuna::cli
