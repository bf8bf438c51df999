#include "ui/framework/win_app.h"

#include <QFile>
#include <QIcon>
#include <map>

namespace ui {

IconHandle CWinApp::LoadIcon(int id) const {
  // Icon resources are compiled in as ":/icon<id>.svg". Like a loaded icon
  // resource, a loaded icon lives until the process ends.
  static auto& loaded = *new std::map<int, QIcon*>;
  auto found = loaded.find(id);
  if (found == loaded.end()) {
    const QString path = QStringLiteral(":/icon%1.svg").arg(id);
    found = loaded.emplace(id, QFile::exists(path) ? new QIcon(path) : nullptr).first;
  }
  return found->second;
}

}  // namespace ui
