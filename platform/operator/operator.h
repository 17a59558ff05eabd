#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/base/status.h"

namespace zuna {

enum class MessageIcon { kNone, kInformation, kCritical };

// The application's default title ("Data Transfer"), or the title "ZUNA" that two messages carry.
enum class MessageTitle { kDefault, kZuna };

inline constexpr std::string_view kDefaultTitleText = "Data Transfer";
inline constexpr std::string_view kZunaTitleText = "ZUNA";

// How the core tells the operator something. The desktop program shows a modal message box and
// returns when it is closed; the command line prints one line; tests record the calls. The core
// never talks to a toolkit directly.
class Operator {
 public:
  virtual ~Operator() = default;

  virtual void ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) = 0;

  // A failure reported by its number and description.
  virtual void ShowError(const Status& status) = 0;

  // Progress of long work (tables and rows copied). Optional: the default shows nothing.
  virtual void ShowProgress(std::string_view /*text*/) {}

  // Opens a finished document (the report's PDF) in the desktop's viewer. Optional: the default
  // opens nothing, and ZUNA_NO_VIEWER=1 turns it off in every front end.
  virtual void OpenDocument(const std::filesystem::path& /*path*/) {}

  // Puts the mouse pointer back to the default after long work. Optional.
  virtual void RestorePointer() {}
};

// A message as the command line prints it, without the line end: the text alone for the plain
// message with the default title, else "information" or "critical" (or "message" for no icon)
// and " (ZUNA)" for the title ZUNA in front of it: "information (ZUNA): <text>".
std::string MessageLine(std::string_view text, MessageIcon icon, MessageTitle title);

// True unless the environment variable ZUNA_NO_VIEWER is "1".
bool ViewerAllowed();

// The command line's operator: one line per message on `out` (MessageLine, or "error <number>:
// <description>" for a failure), progress on `progress`.
class ConsoleOperator : public Operator {
 public:
  ConsoleOperator(std::FILE* out, std::FILE* progress) : out_(out), progress_(progress) {}

  void ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) override;
  void ShowError(const Status& status) override;
  void ShowProgress(std::string_view text) override;
  // Opens the document with xdg-open, only when asked to (--open) and the viewer is allowed.
  void OpenDocument(const std::filesystem::path& path) override;

  void set_open_documents(bool open) { open_documents_ = open; }

 private:
  std::FILE* out_;
  std::FILE* progress_;
  bool open_documents_ = false;
};

}  // namespace zuna
