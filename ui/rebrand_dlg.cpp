#include "ui/rebrand_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "ebook/ebook_file.h"
#include "ebook/launch_ebook.h"
#include "formats/rebrand_info.h"
#include "platform/user_interface.h"
#include "res/dialog_template.h"
#include "ui/customize_wizard.h"
#include "ui/dialog_builder.h"
#include "ui/property_sheet.h"
#include "ui/rebrand_app.h"
#include "ui/text_codec.h"

namespace ui {

CRebrandDlg::CRebrandDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_hIcon(QStringLiteral(":/icon128.svg")) {
  BuildDialog(this, res::GetDialogTemplate(res::IDD_REBRAND_DIALOG));
  connect(GetDlgItem<QPushButton>(this, res::IDCANCEL), &QPushButton::clicked, this,
          &CRebrandDlg::reject);
  connect(GetDlgItem<QPushButton>(this, res::IDC_VIEW_EBOOK), &QPushButton::clicked, this,
          &CRebrandDlg::OnViewEBook);
  connect(GetDlgItem<QPushButton>(this, res::IDC_CUSTOMIZE), &QPushButton::clicked, this,
          &CRebrandDlg::OnCustomize);
}

void CRebrandDlg::DoDataExchange() {
  m_btnView = GetDlgItem<QPushButton>(this, res::IDC_VIEW_EBOOK);
  m_btnCustomize = GetDlgItem<QPushButton>(this, res::IDC_CUSTOMIZE);
  m_stcStatus = GetDlgItem<QLabel>(this, res::IDC_STATUS);
}

int CRebrandDlg::DoModal() {
  OnInitDialog();
  return m_bEndedDuringInit ? result() : exec();
}

bool CRebrandDlg::OnInitDialog() {
  DoDataExchange();
  setWindowIcon(m_hIcon);
  const formats::CRebrandInfo& info = formats::GetRebrandInfo();
  if (info.HasError()) {
    platform::AfxMessageBox(info.GetError());
    m_bEndedDuringInit = true;
    done(res::IDCANCEL);
    return true;
  }
  theApp.SetAppName(info.Info().m_strTitle);
  RefreshStatus();
  m_btnCustomize->setFocus();
  return true;
}

void CRebrandDlg::RefreshStatus() {
  const formats::CInfoBlock& info = formats::GetRebrandInfo().Info();
  setWindowTitle(LiteralWindowTitle(FromExecutableText(info.m_strTitle)));
  m_stcStatus->setText(
      FromExecutableText(m_bCustomized ? info.m_strStatusAfter : info.m_strStatusBefore));
}

void CRebrandDlg::OnViewEBook() {
  const ebook::CEBookFile ebook;
  if (ebook.RecoverInterruptedStore() && ebook.Validate()) {
    ebook::LaunchEBook(formats::GetRebrandInfo().GetEBookPath(), ebook::SW_SHOWNORMAL);
  }
  RefreshStatus();
}

void CRebrandDlg::OnCustomize() {
  const ebook::CEBookFile ebook;
  if (!ebook.RecoverInterruptedStore() || !ebook.Validate() || !ebook.ProbeNotInUse()) return;
  formats::CVariableTable table;
  if (!ebook.LoadTable(table)) return;
  if (table.m_bRebranded && !formats::GetRebrandInfo().Info().m_bAllowRepeat) {
    platform::AfxMessageBox("This E-Book has already been rebranded.");
    return;
  }
  m_bCustomized = CustomizeTable(table);
  RefreshStatus();
}

bool CRebrandDlg::CustomizeTable(formats::CVariableTable& table) {
  if (table.GetSize() == 0) {
    platform::AfxMessageBox("No variables found.");
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
    platform::AfxMessageBox("The E-Book has been successfully customized.",
                            platform::MessageIcon::Information);
  }
  return stored;
}

void CRebrandDlg::reject() {
  done(res::IDCANCEL);
}

}  // namespace ui
