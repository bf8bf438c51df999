// The customization wizard: one page per editable variable of a supported
// kind, each editing its variable in the loaded table in place.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formats/variable_table.h"
#include "ui/framework/property_sheet.h"

namespace ui {

class CCustomizeWizard;

struct CWizardEntry {
  CCustomizeWizard* m_pWizard = nullptr;
  CPropertySheet* m_pSheet = nullptr;
  CPropertyPage* m_pPage = nullptr;           // owned by the wizard
  formats::CVariable* m_pVariable = nullptr;  // an element of the loaded table
  char m_szTitle[256] = {};
};

class CCustomizeWizard {
 public:
  CCustomizeWizard();
  virtual ~CCustomizeWizard();
  CCustomizeWizard(const CCustomizeWizard&) = delete;
  CCustomizeWizard& operator=(const CCustomizeWizard&) = delete;

  // Makes the page that PageKindFor (wizard_pages.h) gives the variable, if
  // any. The variable must outlive the wizard.
  bool AddVariable(formats::CVariable* variable);
  // ID_WIZFINISH when the user finished; anything else means not finished.
  int Run();

  int FindPage(const CPropertyPage* page) const;
  // Sets the buttons for the page's position and shows the variable's prompt.
  void ActivatePage(const CPropertyPage* page, CStatic& prompt);
  std::string GetValue(const CPropertyPage* page) const;
  void SetValue(const CPropertyPage* page, const std::string& text);

  int GetPageCount() const { return static_cast<int>(m_entries.size()); }

 private:
  std::unique_ptr<CPropertySheet> m_pSheet;
  std::vector<std::unique_ptr<CWizardEntry>> m_entries;
};

}  // namespace ui
