// Preloaded (LD_PRELOAD) into a Qt program by the start-up benchmark: ends the
// program the moment its first top-level window is exposed, that is mapped
// and ready to be drawn, so that the time to its end is the time to the window.
// The window's title goes to standard output, for the caller to check.
#include <QCoreApplication>
#include <QEvent>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

namespace {

class ExposeWatcher : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose) {
      auto* window = qobject_cast<QWindow*>(watched);
      if (window && window->isExposed() && !window->transientParent()) {
        std::printf("%s\n", window->title().toUtf8().constData());
        std::fflush(stdout);
        std::_Exit(0);
      }
    }
    return false;
  }
};

void Watch() {
  QCoreApplication::instance()->installEventFilter(new ExposeWatcher);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Watch)
