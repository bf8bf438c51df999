#include "ui/wizard_pages.h"

#include "res/dialog_template.h"
#include "ui/customize_wizard.h"

namespace ui {

void CVariablePage::DoDataExchange() {
  DDX_Control(res::IDC_VALUE, m_edtValue);
  DDX_Control(res::IDC_PROMPT, m_stcPrompt);
}

bool CVariablePage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  m_edtValue.SetWindowText(m_pEntry->m_pWizard->GetValue(this));
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
  const std::string text = m_edtValue.GetWindowText();
  if (text != m_strShown) m_pEntry->m_pWizard->SetValue(this, text);
}

PageKind PageKindFor(const formats::CVariable& variable) {
  if (!variable.m_bEditable) return PageKind::None;
  switch (variable.m_nType) {
    case 0:
    case 1:
      return PageKind::SingleLine;
    case 2:
    case 3:
      return PageKind::MultiLine;
    default:
      return PageKind::None;
  }
}

std::unique_ptr<CVariablePage> MakePage(const formats::CVariable& variable, CWizardEntry* entry) {
  switch (PageKindFor(variable)) {
    case PageKind::SingleLine:
      return std::make_unique<CSingleLinePage>(entry);
    case PageKind::MultiLine:
      return std::make_unique<CMultiLinePage>(entry);
    case PageKind::None:
      break;
  }
  return nullptr;
}

CSingleLinePage::CSingleLinePage(CWizardEntry* entry)
    : CVariablePage(res::IDD_SINGLELINE_PAGE, entry) {}

CMultiLinePage::CMultiLinePage(CWizardEntry* entry)
    : CVariablePage(res::IDD_MULTILINE_PAGE, entry) {}

}  // namespace ui
