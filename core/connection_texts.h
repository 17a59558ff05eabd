#pragma once

#include <string_view>

// The system's fixed connection texts, exactly as the system writes them. The only run-time
// input that goes into them is the server name the operator types.
namespace zuna::core {

// The data source names the system opens: the target database and the FoxPro tables.
inline constexpr std::string_view kTargetDataSource = "pay";
inline constexpr std::string_view kFoxProDataSource = "foxpay";

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

// The target database of every connection text that names a catalog.
inline constexpr std::string_view kDatabaseName = "zuna";

}  // namespace zuna::core
