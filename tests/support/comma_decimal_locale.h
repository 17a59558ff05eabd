#pragma once

#include <filesystem>
#include <string>

namespace zuna::testkit {

// A locale whose decimal separator is a comma, as a German desktop session uses.
inline constexpr char kCommaDecimalLocale[] = "de_DE.UTF-8";

// Compiles kCommaDecimalLocale with localedef into a folder of its own, once per process, so
// no locale need be installed system-wide; the folder is what LOCPATH names. Empty, with the
// reason in `error`, when the locale could not be built.
std::filesystem::path CommaDecimalLocaleFolder(std::string& error);

// Puts this process into the comma-decimal locale for the object's life, as a desktop program
// started under LC_ALL=de_DE.UTF-8 is: LOCPATH and LC_ALL set in the environment, then
// setlocale(LC_ALL, ""), which is what QApplication does at start. The previous environment and
// locale come back when the object goes. active() is false when the locale could not be set.
class ScopedCommaDecimalLocale {
 public:
  ScopedCommaDecimalLocale();
  ~ScopedCommaDecimalLocale();
  ScopedCommaDecimalLocale(const ScopedCommaDecimalLocale&) = delete;
  ScopedCommaDecimalLocale& operator=(const ScopedCommaDecimalLocale&) = delete;

  bool active() const { return active_; }
  const std::string& error() const { return error_; }

 private:
  bool active_ = false;
  std::string error_;
  std::string previous_locale_;
  std::string previous_locpath_, previous_lc_all_;
  bool had_locpath_ = false, had_lc_all_ = false;
};

}  // namespace zuna::testkit
