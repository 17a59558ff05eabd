#pragma once

#include <QWidget>

#include "report/report_window_model.h"

class QPushButton;
class QTableWidget;

namespace zuna::gui {

// frm_rpt: the caption "REPORT", 8715 × 5190 twips, the grid (four columns, one fixed header
// row, Arial Narrow 12 pt bold cells, widths from the format string) and its EXIT button.
class ReportWindow : public QWidget {
  Q_OBJECT

 public:
  ReportWindow(const sources::DataSources& sources, Operator& op, QWidget* parent = nullptr);

  // The Load handler: computes the report and exports it, then shows the grid.
  Status Load();

  QTableWidget* grid() const { return grid_; }
  QPushButton* exit_button() const { return exit_; }

 signals:
  void exitRequested();

 private:
  void ShowGrid();

  report::ReportWindowModel model_;
  QTableWidget* grid_;
  QPushButton* exit_;
};

}  // namespace zuna::gui
