#pragma once

#include <string_view>

// The system's fixed data sources, connection texts and locations. Each is defined once here and
// read by every command that needs it; the only run-time input is the server name the operator
// types.
namespace zuna::constants {

// ODBC connection texts: the target database, the FoxPro tables, and the report window's
// connection (empty user name and password).
inline constexpr std::string_view kPayConnection = "dsn=pay";
inline constexpr std::string_view kFoxPayConnection = "dsn=foxpay";
inline constexpr std::string_view kReportConnection = "DSN=pay;uid=;pwd=;Exclusive=Yes";

// OLE DB connection texts; the server name is appended directly.
inline constexpr std::string_view kMasterPrefix =
    "Provider=SQLOLEDB.1;Initial Catalog=master;Integrated Security=SSPI;Data Source=";
inline constexpr std::string_view kDatabasePrefix =
    "Provider=SQLOLEDB.1;Initial Catalog=zuna;Integrated Security=SSPI;Data Source=";

// The instance that Delete Duplicate Records always uses, whatever the operator typed. zuna.ini
// may name another ([server] FixedServer).
inline constexpr std::string_view kFixedServerName = "ZUNASRV\\SQLEXPRESS";
inline constexpr std::string_view kFixedServerPrefix =
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
    "Initial Catalog=zuna;Data Source=";

// The data folder of the FoxPro tables, relative to the program folder unless zuna.ini names
// another; a table's file is its name with ".dbf".
inline constexpr std::string_view kDataFolderName = "zuna";
inline constexpr std::string_view kTableFileExtension = ".dbf";

// The configuration file in the program folder.
inline constexpr std::string_view kConfigFileName = "zuna.ini";

// The target database of every connection text that names a catalog.
inline constexpr std::string_view kDatabaseName = "zuna";

}  // namespace zuna::constants
