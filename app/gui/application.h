#pragma once

#include <QObject>
#include <QPointer>

#include "app/gui/main_window.h"
#include "app/gui/qt_operator.h"
#include "app/gui/report_window.h"

namespace zuna::gui {

// The windows' lifecycle: the program starts with a fresh main window; Generate Report loads the
// report window once and only brings it forward while it is open; EXIT unloads the main window
// only; the report window's EXIT unloads it and shows the main window, loaded anew in its start
// state when it had been unloaded. The program ends when no window is loaded.
class Application : public QObject {
  Q_OBJECT

 public:
  Application(const sources::DataSources& sources, Operator& op);

  void Start();

  DataTransferWindow* main_window() const { return main_; }
  ReportWindow* report_window() const { return report_; }
  int report_loads() const { return report_loads_; }

  void GenerateReport();
  void ExitMain();
  void ExitReport();

 private:
  DataTransferWindow* ShowMainWindow();

  const sources::DataSources& sources_;
  Operator& operator_;
  QPointer<DataTransferWindow> main_;
  QPointer<ReportWindow> report_;
  int report_loads_ = 0;
};

}  // namespace zuna::gui
