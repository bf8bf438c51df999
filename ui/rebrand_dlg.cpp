#include "ui/rebrand_dlg.h"

#include "ebook/customize_rule.h"
#include "ebook/ebook_file.h"
#include "ebook/launch_ebook.h"
#include "formats/rebrand_info.h"
#include "platform/user_interface.h"
#include "res/dialog_template.h"
#include "ui/customize_wizard.h"
#include "ui/framework/property_sheet.h"
#include "ui/framework/win_app.h"
#include "ui/ui_messages.h"

namespace ui {

CRebrandDlg::CRebrandDlg(CWnd* parent)
    : CDialog(res::IDD_REBRAND_DIALOG, parent),
      m_hIcon(AfxGetApp()->LoadIcon(res::IDR_MAINFRAME)) {}

void CRebrandDlg::DoDataExchange() {
  DDX_Control(res::IDC_VIEW_EBOOK, m_btnView);
  DDX_Control(res::IDC_CUSTOMIZE, m_btnCustomize);
  DDX_Control(res::IDC_STATUS, m_stcStatus);
}

bool CRebrandDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);
  const formats::CRebrandInfo& info = formats::GetRebrandInfo();
  if (info.HasError()) {
    platform::AfxMessageBox(info.GetError());
    EndDialog(IDCANCEL);
    return true;
  }
  AfxGetApp()->SetAppName(info.Info().m_strTitle);
  RefreshStatus();
  return true;
}

void CRebrandDlg::OnCommand(int id) {
  switch (id) {
    case res::IDC_VIEW_EBOOK:
      OnViewEBook();
      break;
    case res::IDC_CUSTOMIZE:
      OnCustomize();
      break;
    default:
      CDialog::OnCommand(id);
  }
}

void CRebrandDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<uintptr_t>(dc.GetSafeHdc()), 0);
  const int cxIcon = GetSystemMetrics(SM_CXICON);
  const int cyIcon = GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  const int x = (rect.Width() - cxIcon + 1) / 2;
  const int y = (rect.Height() - cyIcon + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

IconHandle CRebrandDlg::OnQueryDragIcon() {
  return m_hIcon;
}

void CRebrandDlg::RefreshStatus() {
  const formats::CInfoBlock& info = formats::GetRebrandInfo().Info();
  SetWindowText(info.m_strTitle);
  m_stcStatus.SetWindowText(m_bCustomized ? info.m_strStatusAfter : info.m_strStatusBefore);
}

void CRebrandDlg::OnViewEBook() {
  const ebook::CEBookFile ebook;
  if (ebook.RecoverInterruptedStore(ebook::EBookUse::kView) && ebook.Validate()) {
    ebook::LaunchEBook(formats::GetRebrandInfo().GetEBookPath(), ebook::SW_SHOWNORMAL);
  }
  RefreshStatus();
}

void CRebrandDlg::OnCustomize() {
  const ebook::CEBookFile ebook;
  if (!ebook.RecoverInterruptedStore(ebook::EBookUse::kCustomize) || !ebook.Validate() ||
      !ebook.ProbeNotInUse()) {
    return;
  }
  formats::CVariableTable table;
  if (!ebook.LoadTable(table)) return;
  if (!ebook::MayCustomize(table.m_bRebranded, formats::GetRebrandInfo().Info().m_bAllowRepeat)) {
    platform::AfxMessageBox(kAlreadyRebranded);
    return;
  }
  m_bCustomized = CustomizeTable(table);
  RefreshStatus();
}

bool CRebrandDlg::CustomizeTable(formats::CVariableTable& table) {
  if (table.GetSize() == 0) {
    platform::AfxMessageBox(kNoVariables);
    return false;
  }
  CCustomizeWizard wizard;
  for (int i = 0; i < table.GetSize(); ++i) wizard.AddVariable(&table[i]);
  if (wizard.Run() != ID_WIZFINISH) return false;
  // The checks ran when the click began; the store reports for itself if the
  // file has changed since.
  const ebook::CEBookFile ebook;
  table.m_bRebranded = 1;
  const bool stored = ebook.StoreTable(table);
  if (stored) {
    platform::AfxMessageBox(kCustomized, platform::MessageIcon::Information);
  }
  return stored;
}

}  // namespace ui
