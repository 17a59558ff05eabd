#include "app/cli/settings_report.h"

#include <cstdio>

#include "core/connection_texts.h"
#include "core/file_names.h"
#include "platform/config/zuna_ini_check.h"
#include "platform/operator/operator.h"
#include "platform/sources/connection_string.h"
#include "platform/sources/data_sources.h"
#include "platform/sources/postgres_target.h"
#include "platform/text/ascii.h"

namespace zuna::cli {
namespace {

constexpr std::string_view kHidden = "***";

std::string Origin(const sources::DataSources& sources, const sources::DataSource& source,
                   std::string_view name) {
  const config::IniFile& ini = sources.settings();
  if (ini.HasSection(name)) {
    return std::string(core::kConfigFileName) + " line " + std::to_string(ini.SectionLine(name)) +
           " [" + std::string(name) + "]";
  }
  if (source.backend == sources::Backend::kOdbc) {
    return "unixODBC data source " + source.name + " in odbc.ini";
  }
  return "built-in default";
}

std::string Describe(const sources::DataSources& sources, std::string_view connection,
                     std::string_view name) {
  auto source = sources.Resolve(connection);
  if (!source.ok()) return std::string(name) + " (" + source.status().ToString() + ")";
  std::string what;
  switch (source->backend) {
    case sources::Backend::kFoxPro:
      what = source->path.string() + " (FoxPro tables";
      break;
    case sources::Backend::kSqlite:
      what = source->path.string() + " (embedded SQLite";
      break;
    case sources::Backend::kOdbc:
      what = HidePasswords(source->odbc_connection) + " (ODBC";
      // Which way the import's rows go to a PostgreSQL server.
      if (sources::UsesPsqlOdbc(source->odbc_connection)) {
        what += source->postgres_copy ? ", rows by PostgreSQL COPY through libpq"
                                      : ", rows through ODBC (PostgresCopy = No)";
      }
      break;
  }
  return what + "; " + Origin(sources, *source, name) + ")";
}

}  // namespace

bool ReportSettingsFindings(const sources::DataSources& sources, Operator& op) {
  const std::string file = (sources.program_folder() / std::string(core::kConfigFileName)).string();
  bool usable = true;
  for (const config::IniFinding& finding : config::CheckZunaIni(sources.settings())) {
    if (finding.severity == config::IniFinding::Severity::kWarning) {
      std::fprintf(stderr, "zuna-transfer: warning: %s %s\n", file.c_str(), finding.text.c_str());
      continue;
    }
    usable = false;
    op.ShowError(
        Status(ErrorKind::kInvalidArgument, sources::kErrBadArguments, file + " " + finding.text));
  }
  std::fflush(stderr);
  return usable;
}

std::string DescribeSourceAndTarget(const sources::DataSources& sources) {
  return "source " + Describe(sources, core::kFoxPayConnection, core::kFoxProDataSource) +
         ", target " + Describe(sources, core::kPayConnection, core::kTargetDataSource);
}

std::string HidePasswords(std::string_view connection_string) {
  std::string shown;
  std::size_t start = 0;
  while (start <= connection_string.size()) {
    // An attribute ends at a ';' outside braces: {a;b} is one value.
    std::size_t end = start;
    for (int depth = 0; end < connection_string.size(); ++end) {
      const char c = connection_string[end];
      if (c == '{') ++depth;
      if (c == '}' && depth > 0) --depth;
      if (c == ';' && depth == 0) break;
    }
    const std::string_view attribute = connection_string.substr(start, end - start);
    const std::size_t eq = attribute.find('=');
    const std::string key =
        text::LowerAscii(text::Trim(attribute.substr(0, eq), text::kSpacesAndTabs));
    if (eq != std::string_view::npos && (key == "pwd" || key == "password")) {
      shown += std::string(attribute.substr(0, eq + 1)) + std::string(kHidden);
    } else {
      shown += attribute;
    }
    if (end >= connection_string.size()) break;
    shown += ';';
    start = end + 1;
  }
  return shown;
}

}  // namespace zuna::cli
