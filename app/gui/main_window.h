#pragma once

#include <QWidget>
#include <map>
#include <memory>

#include "app/data_transfer_model.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zuna::gui {

class QtOperator;

// Data_Transfer: the caption "ZUNA(Data_transfer)", a white client area of 10455 × 5070 twips,
// the server name box, seven buttons in RGB(192, 192, 255) and the wait label, each at its
// place, in its font and tab order. The buttons call the model's handlers; the controller gets
// Generate Report and EXIT.
class DataTransferWindow : public QWidget {
  Q_OBJECT

 public:
  DataTransferWindow(const sources::DataSources& sources, Operator& op, QWidget* parent = nullptr);
  ~DataTransferWindow() override;

  // Controls by their names: Text1, Label2, lbl_msg, cmd_db, cmd_tb, Command3, Command1,
  // cmd_gen, Command5, Command2.
  QWidget* control(const QString& name) const;
  app::DataTransferModel& model() { return model_; }

 signals:
  void generateReportRequested();
  void exitRequested();

 private:
  void Refresh();
  void Import();

  app::DataTransferModel model_;
  std::map<QString, QWidget*> controls_;
  QLineEdit* server_ = nullptr;
  QLabel* wait_label_ = nullptr;
  QPushButton* import_ = nullptr;
  QPushButton* report_ = nullptr;
};

}  // namespace zuna::gui
