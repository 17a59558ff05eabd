#pragma once

#include <string>
#include <vector>

namespace zuna::config {

class IniFile;

// Something in zuna.ini that the tool will not use as written, with its line.
struct IniFinding {
  enum class Severity {
    kWarning,  // passed over (an unknown section or key, a line that is no setting): the run
               // goes on without it
    kError,    // a value the tool cannot read (CodePage = 1252abc, Deleted = maybe): using a
               // guess instead would change what the run does, so it must not start
  };
  Severity severity = Severity::kWarning;
  int line = 0;
  std::string text;  // "line 3: unknown section [pya] ..." without the file's name
};

// Checks zuna.ini against what the tool reads from it: the sections [foxpay] and [pay] (the
// data sources) and [server], each with its keys, and the values that must be numbers, Yes or
// No, or a known driver. A key that belongs to another driver than the section's (Database
// under Driver = odbc) is a warning, since it is ignored. Findings come in line order.
std::vector<IniFinding> CheckZunaIni(const IniFile& ini);

}  // namespace zuna::config
