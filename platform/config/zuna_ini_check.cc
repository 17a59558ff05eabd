#include "platform/config/zuna_ini_check.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <string_view>

#include "platform/config/ini_file.h"
#include "platform/text/ascii.h"

namespace zuna::config {
namespace {

enum class ValueKind {
  kText,      // a path, a name or a connection string: anything goes
  kDriver,    // one of the section's drivers
  kCodePage,  // a whole number above 0
  kCount,     // a whole number above 0
  kYesNo,     // Yes or No, any case
};

// A key a section knows; `driver` names the only driver it applies to ("" for every driver).
struct KeyRule {
  std::string_view key;
  ValueKind kind;
  std::string_view driver;
};

// The keys of a data source section: [foxpay] and [pay] take the same keys, whichever driver
// serves them.
constexpr KeyRule kDataSourceKeys[] = {
    {"Driver", ValueKind::kDriver, ""},
    {"SourceDB", ValueKind::kText, "dbf"},
    {"CodePage", ValueKind::kCodePage, "dbf"},
    {"Deleted", ValueKind::kYesNo, "dbf"},
    {"Database", ValueKind::kText, "sqlite"},
    {"DSN", ValueKind::kText, "odbc"},
    {"ConnectionString", ValueKind::kText, "odbc"},
    {"RowsPerBatch", ValueKind::kCount, "odbc"},
    {"PostgresCopy", ValueKind::kYesNo, "odbc"},
};

constexpr KeyRule kServerKeys[] = {
    {"Driver", ValueKind::kDriver, ""},
    {"ConnectionString", ValueKind::kText, "odbc"},
    {"RowsPerBatch", ValueKind::kCount, "odbc"},
    {"FixedServer", ValueKind::kText, ""},
};

struct SectionRule {
  std::string_view name;
  std::string_view default_driver;
  std::span<const std::string_view> drivers;
  std::span<const KeyRule> keys;
};

constexpr std::string_view kDataSourceDrivers[] = {"dbf", "sqlite", "odbc"};
constexpr std::string_view kServerDrivers[] = {"sqlite", "odbc"};

// foxpay and pay are the names of the system's two data sources; server is the typed server
// name's meaning for the script commands.
constexpr SectionRule kSections[] = {
    {"foxpay", "dbf", kDataSourceDrivers, kDataSourceKeys},
    {"pay", "sqlite", kDataSourceDrivers, kDataSourceKeys},
    {"server", "sqlite", kServerDrivers, kServerKeys},
};

const SectionRule* FindSection(std::string_view name) {
  for (const SectionRule& rule : kSections) {
    if (rule.name == name) return &rule;
  }
  return nullptr;
}

const KeyRule* FindKey(const SectionRule& section, std::string_view key) {
  for (const KeyRule& rule : section.keys) {
    if (text::EqualsIgnoringCase(rule.key, key)) return &rule;
  }
  return nullptr;
}

// Edits (insert, delete, replace, swap of neighbours) from one name to the other, ignoring case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  const std::string x = text::LowerAscii(a), y = text::LowerAscii(b);
  std::vector<std::vector<std::size_t>> d(x.size() + 1, std::vector<std::size_t>(y.size() + 1));
  for (std::size_t i = 0; i <= x.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= y.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= x.size(); ++i) {
    for (std::size_t j = 1; j <= y.size(); ++j) {
      d[i][j] = std::min(
          {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (x[i - 1] == y[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[x.size()][y.size()];
}

// " (did you mean X?)" for the closest known name within two edits, else "".
template <typename Names>
std::string Suggestion(std::string_view written, const Names& known) {
  constexpr std::size_t kMaxEdits = 2;
  std::string_view best;
  std::size_t best_distance = kMaxEdits + 1;
  for (std::string_view name : known) {
    const std::size_t distance = EditDistance(written, name);
    if (distance < best_distance) best = name, best_distance = distance;
  }
  return best.empty() ? std::string() : " (did you mean " + std::string(best) + "?)";
}

bool IsWholeNumberAboveZero(std::string_view value) {
  unsigned long number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  return error == std::errc() && end == value.data() + value.size() && number > 0;
}

std::string List(std::span<const std::string_view> names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    list += i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
    list += names[i];
  }
  return list;
}

// What is wrong with `value` for `rule`, or "" when it can be read. An empty value means the
// default for every key but Driver.
std::string ValueProblem(const SectionRule& section, const KeyRule& rule, std::string_view value) {
  if (value.empty() && rule.kind != ValueKind::kDriver) return {};
  switch (rule.kind) {
    case ValueKind::kText:
      return {};
    case ValueKind::kDriver: {
      const std::string driver = text::LowerAscii(value);
      const bool known = std::find(section.drivers.begin(), section.drivers.end(), driver) !=
                         section.drivers.end();
      return known ? std::string() : "is not " + List(section.drivers);
    }
    case ValueKind::kCodePage:
      return IsWholeNumberAboveZero(value) ? std::string() : "is not a code page number (1252)";
    case ValueKind::kCount:
      return IsWholeNumberAboveZero(value) ? std::string() : "is not a number of rows above 0";
    case ValueKind::kYesNo: {
      const std::string answer = text::LowerAscii(value);
      return answer == "yes" || answer == "no" ? std::string() : "is neither Yes nor No";
    }
  }
  return {};
}

std::string At(int line) { return "line " + std::to_string(line) + ": "; }

}  // namespace

std::vector<IniFinding> CheckZunaIni(const IniFile& ini) {
  using Severity = IniFinding::Severity;
  std::vector<IniFinding> findings;
  for (const IniProblem& problem : ini.problems()) {
    findings.push_back({Severity::kWarning, problem.line, At(problem.line) + problem.text});
  }
  std::vector<std::string_view> section_names;
  for (const SectionRule& rule : kSections) section_names.push_back(rule.name);
  for (const auto& [name, line] : ini.sections()) {
    if (FindSection(name)) continue;
    findings.push_back({Severity::kWarning, line,
                        At(line) + "unknown section [" + name + "]" +
                            Suggestion(name, section_names) +
                            "; zuna.ini reads [foxpay], [pay] and [server], so its settings are "
                            "ignored"});
  }
  for (const IniEntry& entry : ini.Entries()) {
    const SectionRule* section = FindSection(entry.section);
    if (!section) continue;  // reported with its header
    const std::string where = At(entry.line) + "[" + entry.section + "] ";
    const KeyRule* rule = FindKey(*section, entry.key);
    if (!rule) {
      std::vector<std::string_view> keys;
      for (const KeyRule& known : section->keys) keys.push_back(known.key);
      findings.push_back({Severity::kWarning, entry.line,
                          where + "unknown setting " + entry.key_as_written +
                              Suggestion(entry.key, keys) + "; it is ignored"});
      continue;
    }
    if (const std::string problem = ValueProblem(*section, *rule, entry.value); !problem.empty()) {
      findings.push_back({Severity::kError, entry.line,
                          where + std::string(rule->key) + " \"" + entry.value + "\" " + problem});
      continue;
    }
    const std::string driver =
        text::LowerAscii(ini.GetOr(entry.section, "Driver", section->default_driver));
    const bool known_driver = std::find(section->drivers.begin(), section->drivers.end(), driver) !=
                              section->drivers.end();
    if (known_driver && !rule->driver.empty() && rule->driver != driver) {
      findings.push_back({Severity::kWarning, entry.line,
                          where + std::string(rule->key) +
                              " applies only to Driver = " + std::string(rule->driver) +
                              ", and this section's driver is " + driver + "; it is ignored"});
    }
  }
  std::stable_sort(findings.begin(), findings.end(),
                   [](const IniFinding& a, const IniFinding& b) { return a.line < b.line; });
  return findings;
}

}  // namespace zuna::config
