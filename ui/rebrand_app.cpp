#include "ui/rebrand_app.h"

#include "ui/rebrand_dlg.h"

namespace ui {
namespace {
CRebrandApp theApp;
}  // namespace

bool CRebrandApp::InitInstance() {
  CRebrandDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return false;
}

}  // namespace ui
