#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/operator/operator.h"

namespace zuna::testkit {

// Records what the core tells the operator, one line per call, in the command line's format:
// "Completed", "information: <text>", "critical (ZUNA): <text>", "error <n>: <text>".
class RecordingOperator : public Operator {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) override {
    messages.push_back(MessageLine(text, icon, title));
  }
  void ShowError(const Status& status) override { messages.push_back(status.ToString()); }
  void ShowProgress(std::string_view text) override { progress.emplace_back(text); }
  void OpenDocument(const std::filesystem::path& path) override { opened.push_back(path); }
  void RestorePointer() override { ++pointer_restored; }

  std::vector<std::string> messages;
  std::vector<std::string> progress;
  std::vector<std::filesystem::path> opened;
  int pointer_restored = 0;
};

}  // namespace zuna::testkit
