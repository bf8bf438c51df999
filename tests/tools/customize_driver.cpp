// Preloaded into a real rebrander (LD_PRELOAD), this drives one Customize
// headless: it clicks Customize, types a text into every page of the wizard,
// clicks Finish, and after the closing message clicks Exit. Every message it
// closes is written to stderr, for the caller to check.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

static bool Click(QWidget* window, const QString& text) {
  for (QPushButton* button : window->findChildren<QPushButton*>())
    if (button->isVisible() && button->isEnabled() && button->text() == text) {
      // Queued: a click that opens a modal window must not block the timer.
      QTimer::singleShot(0, button, &QPushButton::click);
      return true;
    }
  return false;
}

// Runs from the application's start on, every 50 ms.
static void Step() {
  static bool customized = false;  // a hung rebrander is the caller's timeout to end
  QTimer::singleShot(50, &Step);
  QWidget* window = QApplication::activeModalWidget();
  for (QWidget* top : QApplication::topLevelWidgets())
    if (!window && top->isVisible()) window = top;
  if (!window) return;
  if (auto* box = qobject_cast<QMessageBox*>(window)) {
    std::fprintf(stderr, "message: %s\n", box->text().toUtf8().constData());
    QTimer::singleShot(0, box, &QMessageBox::accept);
  } else if (!Click(window, customized ? "E&xit" : "&Customize")) {
    const QString text = QString::fromUtf8(std::getenv("DRIVER_TEXT"));
    for (QLineEdit* line : window->findChildren<QLineEdit*>()) line->setText(text);
    for (QPlainTextEdit* edit : window->findChildren<QPlainTextEdit*>()) edit->setPlainText(text);
    if (!Click(window, "&Next >")) Click(window, "Finish");
    return;
  }
  customized = true;  // the wizard is up, or a message ended the run, success or not
}

Q_COREAPP_STARTUP_FUNCTION(Step)
