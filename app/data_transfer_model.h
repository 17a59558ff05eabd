#pragma once

#include <functional>
#include <string>

#include "import/import_run.h"
#include "platform/files/log_slot.h"

namespace zuna {
class Operator;
namespace sources {
class DataSources;
}
}  // namespace zuna

namespace zuna::app {

// The main window Data_Transfer without a toolkit: the server name the operator types, the
// state of its controls, the import's slots, and the handlers of its buttons. A front end shows
// this state and calls the handlers; `on_change` tells it to repaint (the wait label must be
// seen before the first table is copied).
class DataTransferModel : public transfer::ImportWindow {
 public:
  DataTransferModel(const sources::DataSources& sources, Operator& op);

  // Text1: whatever the operator has typed.
  std::string server_name;

  // The controls' state; the start state is every button shown and enabled but Command2
  // (hidden and disabled for good), lbl_msg hidden, Text1 empty.
  bool import_enabled() const { return import_enabled_; }          // Command1
  bool report_enabled() const { return report_enabled_; }          // cmd_gen
  bool wait_label_visible() const { return wait_label_visible_; }  // lbl_msg
  static constexpr bool kDeleteDuplicatesVisible = false;          // Command2

  // The handlers of cmd_db, cmd_tb, Command3, Command2 and Command1.
  void CreateDatabase();
  void CreateTable();
  void Alter();
  void DeleteDuplicateRecords();
  // The command line also watches the rows and may ask the import to stop between rows.
  transfer::ImportSummary Import(transfer::ImportObserver* observer = nullptr,
                                 const transfer::StopRequest* stop = nullptr);

  // The window's log slot: the last anomaly log stays open in it after an import.
  files::LogSlot& log_slot() { return log_; }

  std::function<void()> on_change;

  // transfer::ImportWindow
  void ShowWaitLabel() override;
  void HideWaitLabel() override;
  void DisableImport() override;
  void EnableReport() override;

 private:
  void Changed() {
    if (on_change) on_change();
  }

  const sources::DataSources& sources_;
  Operator& operator_;
  files::LogSlot log_;
  bool import_enabled_ = true;
  bool report_enabled_ = true;
  bool wait_label_visible_ = false;
};

}  // namespace zuna::app
