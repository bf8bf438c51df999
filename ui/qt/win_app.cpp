#include "ui/framework/win_app.h"

#include <QDir>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <map>

namespace ui {

IconHandle CWinApp::LoadIcon(int id) const {
  // Icon resources are compiled in as ":/icon<id>/<size>.png", one image a
  // size. Like a loaded icon resource, a loaded icon lives until the process
  // ends.
  static auto& loaded = *new std::map<int, QIcon*>;
  auto found = loaded.find(id);
  if (found == loaded.end()) {
    const QDir folder(QStringLiteral(":/icon%1").arg(id));
    QIcon* icon = nullptr;
    for (const QString& name : folder.entryList(QDir::Files)) {
      // Read as PNG, by Qt's own reader: left to guess, Qt would load every
      // image format plugin to ask it, and QIcon::addFile the SVG icon engine.
      QImageReader reader(folder.filePath(name), "png");
      reader.setAutoDetectImageFormat(false);
      const QImage image = reader.read();
      if (image.isNull()) continue;
      if (!icon) icon = new QIcon;
      icon->addPixmap(QPixmap::fromImage(image));
    }
    found = loaded.emplace(id, icon).first;
  }
  return found->second;
}

}  // namespace ui
