// What the application object is on every backend; each backend loads icons.
#include "ui/framework/win_app.h"

#include "platform/user_interface.h"

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

void CWinApp::SetAppName(const std::string& name) {
  platform::SetApplicationName(name);
}

}  // namespace ui
