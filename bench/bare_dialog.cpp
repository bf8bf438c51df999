// The floor of the start-up benchmark: a bare Qt dialog with a label and three
// buttons, like the main window without anything behind it.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QDialog dialog;
  dialog.setWindowTitle(QStringLiteral("Bare"));
  new QLabel(QStringLiteral("Status text"), &dialog);
  for (int i = 0; i < 3; ++i)
    (new QPushButton(QStringLiteral("Button"), &dialog))->move(200, 30 * i);
  dialog.show();
  return QApplication::exec();
}
