#include "ui/framework/win_app.h"

#include "platform/user_interface.h"
#include "ui/win32/win32_api.h"

namespace ui {
namespace {
CWinApp* g_pApp = nullptr;
}  // namespace

CWinApp::CWinApp() {
  g_pApp = this;
}

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
  return g_pApp;
}

IconHandle CWinApp::LoadIcon(int id) const {
  // Shared icons: the system keeps them for the life of the process.
  return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

void CWinApp::SetAppName(const std::string& name) {
  platform::SetApplicationName(name);
}

}  // namespace ui
