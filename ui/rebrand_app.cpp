#include "ui/rebrand_app.h"

#include "platform/user_interface.h"
#include "ui/rebrand_dlg.h"

namespace ui {

CRebrandApp theApp;

bool CRebrandApp::InitInstance() {
  CRebrandDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return false;
}

void CRebrandApp::SetAppName(const std::string& name) {
  platform::SetApplicationName(name);
}

}  // namespace ui
