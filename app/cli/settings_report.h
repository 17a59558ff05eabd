#pragma once

#include <string>
#include <string_view>

namespace zuna {
class Operator;
namespace sources {
class DataSources;
}
}  // namespace zuna

// What the command line says about its configuration before a command works: the findings of
// zuna.ini, and which source and target the command will use and where each came from.
namespace zuna::cli {

// Prints zuna.ini's warnings on standard error, one line each with the file and the line, and
// its errors through `op`. False when there was an error: a value the tool cannot read must not
// be replaced by a guess, so the command does not start.
bool ReportSettingsFindings(const sources::DataSources& sources, Operator& op);

// "source /srv/m/zuna (FoxPro tables; built-in default), target /srv/m/zuna.db (embedded SQLite;
// zuna.ini line 4 [pay])": the data folder and the target database, file or ODBC connection (its
// password hidden), each with where it came from: a zuna.ini section and its line, a unixODBC
// data source of odbc.ini, or the built-in default.
std::string DescribeSourceAndTarget(const sources::DataSources& sources);

// `connection_string` with the value of every PWD or Password attribute replaced by "***".
std::string HidePasswords(std::string_view connection_string);

}  // namespace zuna::cli
