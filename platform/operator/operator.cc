#include "platform/operator/operator.h"

#include <string>

namespace zuna {

void ConsoleOperator::ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) {
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
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

void ConsoleOperator::ShowError(const Status& status) {
  const std::string line = status.ToString() + "\n";
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

void ConsoleOperator::ShowProgress(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), progress_);
  std::fputc('\n', progress_);
  std::fflush(progress_);
}

}  // namespace zuna
