#include "tests/support/comma_decimal_locale.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>

#include "tests/support/run_command.h"

namespace zuna::testkit {
namespace {

namespace fs = std::filesystem;

// Saves one environment variable and whether it was set.
void Save(const char* name, std::string& value, bool& had) {
  const char* current = std::getenv(name);
  had = current != nullptr;
  value = had ? current : "";
}

void Restore(const char* name, const std::string& value, bool had) {
  if (had) {
    ::setenv(name, value.c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

}  // namespace

fs::path CommaDecimalLocaleFolder(std::string& error) {
  // Built once: localedef takes seconds. The folder lives as long as the test program.
  static const fs::path folder =
      fs::temp_directory_path() / ("zuna-locale-" + std::to_string(::getpid()));
  static std::string build_error = [] {
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    const auto [status, out] =
        RunCommand("localedef -i de_DE -f UTF-8 '" + (folder / kCommaDecimalLocale).string() + "'");
    if (!fs::exists(folder / kCommaDecimalLocale / "LC_NUMERIC")) {
      return "localedef failed (status " + std::to_string(status) + "): " + out;
    }
    std::atexit([] {
      std::error_code ignored_at_exit;
      fs::remove_all(folder, ignored_at_exit);
    });
    return std::string();
  }();
  error = build_error;
  return build_error.empty() ? folder : fs::path();
}

ScopedCommaDecimalLocale::ScopedCommaDecimalLocale() {
  const fs::path folder = CommaDecimalLocaleFolder(error_);
  if (folder.empty()) return;
  previous_locale_ = std::setlocale(LC_ALL, nullptr);
  Save("LOCPATH", previous_locpath_, had_locpath_);
  Save("LC_ALL", previous_lc_all_, had_lc_all_);
  ::setenv("LOCPATH", folder.c_str(), 1);
  ::setenv("LC_ALL", kCommaDecimalLocale, 1);
  if (std::setlocale(LC_ALL, "") == nullptr) {
    error_ = "setlocale refused " + std::string(kCommaDecimalLocale);
    return;
  }
  active_ = true;
}

ScopedCommaDecimalLocale::~ScopedCommaDecimalLocale() {
  if (previous_locale_.empty()) return;
  Restore("LOCPATH", previous_locpath_, had_locpath_);
  Restore("LC_ALL", previous_lc_all_, had_lc_all_);
  std::setlocale(LC_ALL, previous_locale_.c_str());
}

}  // namespace zuna::testkit
