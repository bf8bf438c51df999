// The Qt program's entry point: the toolkit, then the one application object.
#include <QApplication>
#include <QIcon>

#include "platform/user_interface.h"
#include "res/dialog_template.h"
#include "ui/framework/win_app.h"
#include "ui/qt/qt_user_interface.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ui::CWinApp* app = ui::AfxGetApp();
  if (const auto* icon = static_cast<const QIcon*>(app->LoadIcon(res::IDR_MAINFRAME))) {
    QApplication::setWindowIcon(*icon);
  }
  ui::CQtUserInterface userInterface;
  platform::SetUserInterface(&userInterface);
  const bool runLoop = app->InitInstance();
  platform::SetUserInterface(nullptr);
  return runLoop ? QApplication::exec() : 0;
}
