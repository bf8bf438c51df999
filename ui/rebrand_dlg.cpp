#include "ui/rebrand_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "formats/rebrand_info.h"
#include "platform/user_interface.h"
#include "res/dialog_template.h"
#include "ui/dialog_builder.h"
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

void CRebrandDlg::reject() {
  done(res::IDCANCEL);
}

}  // namespace ui
