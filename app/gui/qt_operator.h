#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/operator/operator.h"

class QMessageBox;

namespace zuna::gui {

// The message box an operator message becomes: modal, an OK button, the given icon, and the
// title "ZUNA" or the application's default title "Data Transfer".
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, std::string_view text,
                                            MessageIcon icon, MessageTitle title);

// The desktop program's operator: a modal message box for every message, waiting until the
// operator closes it; the finished PDF opened in the desktop's viewer unless ZUNA_NO_VIEWER=1.
class QtOperator : public Operator {
 public:
  explicit QtOperator(QWidget* parent = nullptr) : parent_(parent) {}
  void set_parent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) override;
  void ShowError(const Status& status) override;
  void ShowProgress(std::string_view text) override;
  void OpenDocument(const std::filesystem::path& path) override;
  void RestorePointer() override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace zuna::gui
