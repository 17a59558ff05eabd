#include "app/gui/application.h"

namespace zuna::gui {

Application::Application(const sources::DataSources& sources, Operator& op)
    : sources_(sources), operator_(op) {}

void Application::Start() { ShowMainWindow(); }

DataTransferWindow* Application::ShowMainWindow() {
  if (main_) {
    main_->show();
    main_->raise();
    main_->activateWindow();
    return main_;
  }
  main_ = new DataTransferWindow(sources_, operator_);
  main_->setAttribute(Qt::WA_DeleteOnClose);
  if (auto* qt = dynamic_cast<QtOperator*>(&operator_)) qt->set_parent(main_);
  connect(main_, &DataTransferWindow::generateReportRequested, this, &Application::GenerateReport);
  connect(main_, &DataTransferWindow::exitRequested, this, &Application::ExitMain);
  main_->show();
  return main_;
}

void Application::GenerateReport() {
  if (report_) {
    report_->show();
    report_->raise();
    report_->activateWindow();
    return;
  }
  auto* window = new ReportWindow(sources_, operator_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  connect(window, &ReportWindow::exitRequested, this, &Application::ExitReport);
  ++report_loads_;
  if (Status loaded = window->Load(); !loaded.ok()) {
    // The load stopped at its failing step: say so, and leave no half-filled window behind.
    operator_.ShowError(loaded);
    window->deleteLater();
    return;
  }
  report_ = window;
  report_->show();
}

void Application::ExitMain() {
  if (main_) main_->close();
}

void Application::ExitReport() {
  if (report_) report_->close();
  ShowMainWindow();
}

}  // namespace zuna::gui
