#include "app/gui/main_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/gui/layout.h"
#include "platform/operator/operator.h"

namespace zuna::gui {
namespace {

struct ControlLayout {
  const char* name;
  enum Kind { kLabel, kTextBox, kButton } kind;
  const char* caption;
  int left, top, width, height;
  const char* font;  // empty: the system's default
  double points;
  int tab_index;
};

// The window's controls as the original layout gives them (twips).
constexpr ControlLayout kControls[] = {
    {"Label2", ControlLayout::kLabel, "SQL SERVER NAME ::", 1320, 480, 2655, 495, "Arial", 12, 7},
    {"Text1", ControlLayout::kTextBox, "", 3960, 480, 2895, 495, "", 0, 8},
    {"cmd_db", ControlLayout::kButton, "Create Database", 3960, 960, 2895, 495, "Arial", 11.25, 3},
    {"cmd_tb", ControlLayout::kButton, "Create Table", 3960, 1440, 2895, 495, "Arial", 11.25, 6},
    {"Command3", ControlLayout::kButton, "Alter", 3960, 1920, 2895, 495, "MS Sans Serif", 12, 1},
    {"Command1", ControlLayout::kButton, "Import *.dbf Files", 3960, 2400, 2895, 615,
     "MS Sans Serif", 12, 0},
    {"cmd_gen", ControlLayout::kButton, "Generate Report", 3960, 3000, 2895, 615, "Arial", 11.25,
     9},
    {"Command5", ControlLayout::kButton, "EXIT", 3960, 3600, 2895, 615, "Arial", 9.75, 4},
    {"Command2", ControlLayout::kButton, "Delete Duplicate Records", 240, 3000, 2895, 735,
     "MS Sans Serif", 12, 2},
    {"lbl_msg", ControlLayout::kLabel,
     "Please Wait!!!! It Will Take Few Minites....................... ", 1920, 4440, 8175, 375,
     "MS Sans Serif", 13.5, 5},
};

constexpr int kClientWidth = 10455;
constexpr int kClientHeight = 5070;

// Presses the focused button with Enter, as the original window does (space works anyway).
class EnterPressesButtons : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (auto* button = qobject_cast<QPushButton*>(watched);
          button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        button->click();
        return true;
      }
    }
    return false;
  }
};

// Repaints the window between tables while the import runs; it takes no input meanwhile.
class RepaintBetweenTables : public transfer::ImportObserver {
 public:
  void TableDone(const transfer::TableReport&) override {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
};

}  // namespace

DataTransferWindow::DataTransferWindow(const sources::DataSources& sources, Operator& op,
                                       QWidget* parent)
    : QWidget(parent), model_(sources, op) {
  setObjectName(QStringLiteral("Data_Transfer"));
  setWindowTitle(QStringLiteral("ZUNA(Data_transfer)"));
  setFixedSize(Pixels(kClientWidth), Pixels(kClientHeight));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);

  auto* enter = new EnterPressesButtons(this);
  std::vector<std::pair<int, QWidget*>> tab_order;
  for (const ControlLayout& layout : kControls) {
    QWidget* widget = nullptr;
    switch (layout.kind) {
      case ControlLayout::kLabel:
        widget = new QLabel(QString::fromUtf8(layout.caption), this);
        break;
      case ControlLayout::kTextBox:
        widget = server_ = new QLineEdit(this);
        break;
      case ControlLayout::kButton: {
        auto* button = new QPushButton(QString::fromUtf8(layout.caption), this);
        button->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);")
                                  .arg(kButtonRed)
                                  .arg(kButtonGreen)
                                  .arg(kButtonBlue));
        button->installEventFilter(enter);
        widget = button;
        break;
      }
    }
    widget->setObjectName(QString::fromUtf8(layout.name));
    widget->setGeometry(TwipRect(layout.left, layout.top, layout.width, layout.height));
    if (*layout.font != '\0')
      widget->setFont(LayoutFont(QString::fromUtf8(layout.font), layout.points, true));
    controls_[widget->objectName()] = widget;
    if (layout.kind != ControlLayout::kLabel) tab_order.emplace_back(layout.tab_index, widget);
  }
  std::sort(tab_order.begin(), tab_order.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < tab_order.size(); ++i) {
    setTabOrder(tab_order[i - 1].second, tab_order[i].second);
  }

  wait_label_ = static_cast<QLabel*>(control(QStringLiteral("lbl_msg")));
  import_ = static_cast<QPushButton*>(control(QStringLiteral("Command1")));
  report_ = static_cast<QPushButton*>(control(QStringLiteral("cmd_gen")));
  auto* hidden = control(QStringLiteral("Command2"));
  hidden->setVisible(app::DataTransferModel::kDeleteDuplicatesVisible);
  hidden->setEnabled(false);

  const auto button = [this](const char* name) {
    return static_cast<QPushButton*>(control(QString::fromUtf8(name)));
  };
  const auto run = [this](void (app::DataTransferModel::*handler)()) {
    return [this, handler] {
      model_.server_name = server_->text().toStdString();
      (model_.*handler)();
    };
  };
  connect(button("cmd_db"), &QPushButton::clicked, this,
          run(&app::DataTransferModel::CreateDatabase));
  connect(button("cmd_tb"), &QPushButton::clicked, this, run(&app::DataTransferModel::CreateTable));
  connect(button("Command3"), &QPushButton::clicked, this, run(&app::DataTransferModel::Alter));
  connect(button("Command2"), &QPushButton::clicked, this,
          run(&app::DataTransferModel::DeleteDuplicateRecords));
  connect(import_, &QPushButton::clicked, this, [this] { Import(); });
  connect(report_, &QPushButton::clicked, this, &DataTransferWindow::generateReportRequested);
  connect(button("Command5"), &QPushButton::clicked, this, &DataTransferWindow::exitRequested);

  model_.on_change = [this] { Refresh(); };
  Refresh();
  import_->setFocus();
}

DataTransferWindow::~DataTransferWindow() = default;

QWidget* DataTransferWindow::control(const QString& name) const {
  const auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

void DataTransferWindow::Refresh() {
  wait_label_->setVisible(model_.wait_label_visible());
  import_->setEnabled(model_.import_enabled());
  report_->setEnabled(model_.report_enabled());
  // The wait label must be seen before the first table starts.
  if (model_.wait_label_visible()) wait_label_->repaint();
}

void DataTransferWindow::Import() {
  model_.server_name = server_->text().toStdString();
  RepaintBetweenTables repaint;
  model_.Import(&repaint);
}

}  // namespace zuna::gui
