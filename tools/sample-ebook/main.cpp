// sample-ebook: the E-Book for trying the rebrander out. It shows a short book
// whose customizable texts come from the variable table packed into its own
// executable.
#include <QApplication>

#include "platform/module_path.h"
#include "tools/sample-ebook/book_source.h"
#include "tools/sample-ebook/book_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Held open until the program ends: the shared lock marks the E-Book as running.
  const sample_ebook::CBookSource source(platform::ModuleFileName());
  sample_ebook::CBookWindow window(source);
  window.show();
  return app.exec();
}
