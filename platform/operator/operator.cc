#include "platform/operator/operator.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace zuna {

std::string MessageLine(std::string_view text, MessageIcon icon, MessageTitle title) {
  std::string line;
  switch (icon) {
    case MessageIcon::kNone:
      break;
    case MessageIcon::kInformation:
      line = "information";
      break;
    case MessageIcon::kCritical:
      line = "critical";
      break;
  }
  if (title == MessageTitle::kZuna) {
    if (line.empty()) line = "message";
    line += " (ZUNA)";
  }
  if (!line.empty()) line += ": ";
  line += text;
  return line;
}

void ConsoleOperator::ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) {
  const std::string line = MessageLine(text, icon, title) + "\n";
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

void ConsoleOperator::ShowError(const Status& status) {
  const std::string line = status.ToString() + "\n";
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

bool ViewerAllowed() {
  const char* off = std::getenv("ZUNA_NO_VIEWER");
  return off == nullptr || std::string_view(off) != "1";
}

void ConsoleOperator::OpenDocument(const std::filesystem::path& path) {
  if (!open_documents_ || !ViewerAllowed()) return;
  // The viewer runs on its own; the command line does not wait for it.
  const std::string file = path.string();
  char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(file.c_str()), nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) {
    ShowProgress("cannot start xdg-open to show " + file);
  }
}

void ConsoleOperator::ShowProgress(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), progress_);
  std::fputc('\n', progress_);
  std::fflush(progress_);
}

}  // namespace zuna
