#include <QApplication>
#include <QIcon>

#include "platform/user_interface.h"
#include "ui/qt_user_interface.h"
#include "ui/rebrand_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon128.svg")));
  ui::CQtUserInterface userInterface;
  platform::SetUserInterface(&userInterface);
  const bool runLoop = ui::theApp.InitInstance();
  platform::SetUserInterface(nullptr);
  return runLoop ? QApplication::exec() : 0;
}
