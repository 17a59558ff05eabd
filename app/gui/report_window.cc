#include "app/gui/report_window.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include "app/gui/layout.h"

namespace zuna::gui {
namespace {

constexpr int kClientWidth = 8715;
constexpr int kClientHeight = 5190;

Qt::Alignment ToQt(report::ReportGrid::Alignment alignment) {
  switch (alignment) {
    case report::ReportGrid::Alignment::kCentre:
      return Qt::AlignCenter;
    case report::ReportGrid::Alignment::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case report::ReportGrid::Alignment::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ReportWindow::ReportWindow(const sources::DataSources& sources, Operator& op, QWidget* parent)
    : QWidget(parent), model_(sources, op) {
  setObjectName(QStringLiteral("frm_rpt"));
  setWindowTitle(QStringLiteral("REPORT"));
  setFixedSize(Pixels(kClientWidth), Pixels(kClientHeight));

  grid_ = new QTableWidget(this);
  grid_->setObjectName(QStringLiteral("Grid"));
  grid_->setGeometry(TwipRect(360, 240, 8055, 3975));
  grid_->setColumnCount(report::ReportGrid::kColumns);
  grid_->verticalHeader()->setVisible(false);  // no fixed column
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setFont(LayoutFont(QStringLiteral("Arial Narrow"), 12, true));

  exit_ = new QPushButton(QStringLiteral("EXIT"), this);
  exit_->setObjectName(QStringLiteral("Command1"));
  exit_->setGeometry(TwipRect(3480, 4440, 1815, 495));
  exit_->setFont(LayoutFont(QStringLiteral("MS Sans Serif"), 9.75, true));
  connect(exit_, &QPushButton::clicked, this, &ReportWindow::exitRequested);
}

Status ReportWindow::Load() {
  const Status loaded = model_.Load();
  ShowGrid();
  return loaded;
}

void ReportWindow::ShowGrid() {
  const report::ReportGrid& grid = model_.grid();
  grid_->setRowCount(grid.rows() > 0 ? grid.rows() - 1 : 0);
  QStringList header;
  for (int column = 0; column < report::ReportGrid::kColumns; ++column) {
    header << QString::fromStdString(grid.rows() > 0 ? grid.TextMatrix(0, column) : "");
    if (grid.column_width(column) > 0)
      grid_->setColumnWidth(column, Pixels(grid.column_width(column)));
  }
  grid_->setHorizontalHeaderLabels(header);
  for (int column = 0; column < report::ReportGrid::kColumns; ++column) {
    if (auto* item = grid_->horizontalHeaderItem(column)) {
      item->setTextAlignment(ToQt(grid.alignment(column)));
    }
  }
  // A column's alignment holds for its data cells as for its header, as the format string sets it.
  for (int row = 1; row < grid.rows(); ++row) {
    for (int column = 0; column < report::ReportGrid::kColumns; ++column) {
      auto* item = new QTableWidgetItem(QString::fromStdString(grid.TextMatrix(row, column)));
      item->setTextAlignment(ToQt(grid.alignment(column)));
      grid_->setItem(row - 1, column, item);
    }
  }
}

}  // namespace zuna::gui
