#pragma once

#include <string_view>

// The names of the files and folders of the program folder that more than one layer uses. Names
// have no extension but "report.pdf" (and the scripts').
namespace zuna::core {

// The configuration file.
inline constexpr std::string_view kConfigFileName = "zuna.ini";

// The data folder of the FoxPro tables, unless zuna.ini names another.
inline constexpr std::string_view kDataFolderName = "zuna";

// The embedded target database of the data source "pay", unless zuna.ini names another.
inline constexpr std::string_view kTargetDatabaseFile = "zuna.db";

// The column listing: the target columns the FoxPro tables lack.
inline constexpr std::string_view kFieldListingName = "fields";

// The report's text table and its PDF.
inline constexpr std::string_view kReportTextName = "data_transfer_rpt";
inline constexpr std::string_view kReportPdfName = "report.pdf";

}  // namespace zuna::core
