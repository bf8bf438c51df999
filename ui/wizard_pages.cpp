#include "ui/wizard_pages.h"

#include <QLabel>

#include "res/dialog_template.h"
#include "ui/customize_wizard.h"
#include "ui/dialog_builder.h"
#include "ui/text_codec.h"

namespace ui {

void CVariablePage::DoDataExchange() {
  m_edtValue.Attach(GetDlgItem<QWidget>(GetSafeHwnd(), res::IDC_VALUE));
  m_stcPrompt.Attach(GetDlgItem<QLabel>(GetSafeHwnd(), res::IDC_PROMPT));
}

bool CVariablePage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  m_edtValue.SetWindowText(FromExecutableText(m_pEntry->m_pWizard->GetValue(this)));
  m_strShown = m_edtValue.GetWindowText();
  return true;
}

bool CVariablePage::OnSetActive() {
  m_pEntry->m_pWizard->ActivatePage(this, m_stcPrompt);
  return CPropertyPage::OnSetActive();
}

int CVariablePage::OnWizardNext() {
  CopyValue();
  return CPropertyPage::OnWizardNext();
}

bool CVariablePage::OnWizardFinish() {
  CopyValue();
  return CPropertyPage::OnWizardFinish();
}

void CVariablePage::CopyValue() {
  const QString text = m_edtValue.GetWindowText();
  if (text != m_strShown) m_pEntry->m_pWizard->SetValue(this, ToExecutableText(text));
}

CSingleLinePage::CSingleLinePage(CWizardEntry* entry)
    : CVariablePage(res::IDD_SINGLELINE_PAGE, entry) {}

CMultiLinePage::CMultiLinePage(CWizardEntry* entry)
    : CVariablePage(res::IDD_MULTILINE_PAGE, entry) {}

}  // namespace ui
