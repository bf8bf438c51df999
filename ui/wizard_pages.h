// The two kinds of wizard page: each edits the value of one variable, on a
// one-line or a multi-line field.
#pragma once

#include <string>

#include "ui/framework/property_sheet.h"

namespace ui {

struct CWizardEntry;

// What the two pages share; they differ only in their template.
class CVariablePage : public CPropertyPage {
 public:
  CVariablePage(int templateId, CWizardEntry* entry) : CPropertyPage(templateId), m_pEntry(entry) {}

  bool OnSetActive() override;
  int OnWizardNext() override;
  bool OnWizardFinish() override;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange() override;

  CWizardEntry* m_pEntry;
  CEdit m_edtValue;
  CStatic m_stcPrompt;

 private:
  // Hands the field's text to the variable, unless it is still what was shown:
  // an untouched value keeps its exact bytes, even ones the locale cannot show.
  void CopyValue();

  std::string m_strShown;
};

class CSingleLinePage : public CVariablePage {
 public:
  explicit CSingleLinePage(CWizardEntry* entry);
};

class CMultiLinePage : public CVariablePage {
 public:
  explicit CMultiLinePage(CWizardEntry* entry);
};

}  // namespace ui
