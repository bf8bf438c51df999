#include "ui/qt/qt_user_interface.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/qt/text_codec.h"

namespace ui {

void CQtUserInterface::ShowMessage(const std::string& caption, const std::string& text,
                                   platform::MessageIcon icon) {
  // Owned by whatever modal window is open, so that window stays blocked meanwhile.
  QMessageBox box(
      icon == platform::MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
      LiteralWindowTitle(FromExecutableText(caption)), FromExecutableText(text), QMessageBox::Ok,
      QApplication::activeModalWidget());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void CQtUserInterface::SetWaitCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The caller is about to block the thread: let the cursor reach the screen first.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace ui
