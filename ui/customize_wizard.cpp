#include "ui/customize_wizard.h"

#include <charconv>
#include <string>

#include "ui/ui_messages.h"
#include "ui/wizard_pages.h"

namespace ui {
namespace {

// Not the printf family: on Windows it brings a whole formatting library,
// floating point included, for two numbers.
std::string Decimal(int value) {
  char digits[16];
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace

CCustomizeWizard::CCustomizeWizard() : m_pSheet(std::make_unique<CPropertySheet>(kWizardCaption)) {}

CCustomizeWizard::~CCustomizeWizard() {
  for (auto& entry : m_entries) {
    delete entry->m_pPage;
    entry.reset();
  }
  m_pSheet.reset();
}

bool CCustomizeWizard::AddVariable(formats::CVariable* variable) {
  auto entry = std::make_unique<CWizardEntry>();
  CPropertyPage* page = MakePage(*variable, entry.get()).release();
  if (!page) return false;
  entry->m_pWizard = this;
  entry->m_pSheet = m_pSheet.get();
  entry->m_pPage = page;
  entry->m_pVariable = variable;
  page->m_psp.dwFlags = (page->m_psp.dwFlags & ~PSP_HASHELP) | PSP_USETITLE;
  page->m_psp.pszTitle = entry->m_szTitle;
  m_entries.push_back(std::move(entry));
  return true;
}

int CCustomizeWizard::Run() {
  const int count = GetPageCount();
  if (count == 0) return IDCANCEL;
  for (int i = 0; i < count; ++i) {
    CWizardEntry& entry = *m_entries[i];
    const std::string title = kStepPrefix + Decimal(i + 1) + kStepOf + Decimal(count);
    title.copy(entry.m_szTitle, sizeof entry.m_szTitle - 1);
    m_pSheet->AddPage(entry.m_pPage);
  }
  m_pSheet->m_psh.dwFlags = (m_pSheet->m_psh.dwFlags | PSH_WIZARD) & ~PSH_HASHELP;
  return m_pSheet->DoModal();
}

int CCustomizeWizard::FindPage(const CPropertyPage* page) const {
  for (int i = 0; i < GetPageCount(); ++i) {
    if (m_entries[i]->m_pPage == page) return i;
  }
  return -1;
}

void CCustomizeWizard::ActivatePage(const CPropertyPage* page, CStatic& prompt) {
  const int index = FindPage(page);
  if (index < 0) return;
  uint32_t buttons = index > 0 ? PSWIZB_BACK : 0;
  buttons |= index + 1 == GetPageCount() ? PSWIZB_FINISH : PSWIZB_NEXT;
  m_pSheet->PostWizardButtons(buttons);
  prompt.SetWindowText(m_entries[index]->m_pVariable->m_strPrompt);
}

std::string CCustomizeWizard::GetValue(const CPropertyPage* page) const {
  const int index = FindPage(page);
  return index < 0 ? std::string() : m_entries[index]->m_pVariable->m_strValue;
}

void CCustomizeWizard::SetValue(const CPropertyPage* page, const std::string& text) {
  const int index = FindPage(page);
  if (index >= 0) m_entries[index]->m_pVariable->m_strValue = text;
}

}  // namespace ui
