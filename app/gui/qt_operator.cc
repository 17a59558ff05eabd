#include "app/gui/qt_operator.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMessageBox>
#include <QUrl>

namespace zuna::gui {

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, std::string_view text,
                                            MessageIcon icon, MessageTitle title) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  const std::string_view caption =
      title == MessageTitle::kZuna ? kZunaTitleText : kDefaultTitleText;
  box->setWindowTitle(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
  switch (icon) {
    case MessageIcon::kNone:
      box->setIcon(QMessageBox::NoIcon);
      break;
    case MessageIcon::kInformation:
      box->setIcon(QMessageBox::Information);
      break;
    case MessageIcon::kCritical:
      box->setIcon(QMessageBox::Critical);
      break;
  }
  box->setStandardButtons(QMessageBox::Ok);
  box->setModal(true);
  return box;
}

void QtOperator::ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) {
  MakeMessageBox(parent_, text, icon, title)->exec();
}

void QtOperator::ShowError(const Status& status) {
  // "error <number>: <description>", as every front end reports a failure.
  MakeMessageBox(parent_, status.ToString(), MessageIcon::kCritical, MessageTitle::kDefault)
      ->exec();
}

void QtOperator::ShowProgress(std::string_view) {
  // A long command takes no input but keeps repainting, so its window stays honest.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtOperator::OpenDocument(const std::filesystem::path& path) {
  if (!ViewerAllowed()) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

void QtOperator::RestorePointer() {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

}  // namespace zuna::gui
