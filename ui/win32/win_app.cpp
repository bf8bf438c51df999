#include "ui/framework/win_app.h"

#include "ui/win32/win32_api.h"

namespace ui {

IconHandle CWinApp::LoadIcon(int id) const {
  // Shared icons: the system keeps them for the life of the process.
  return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

}  // namespace ui
