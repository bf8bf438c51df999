// The two kinds of wizard page: each edits the value of one variable, on a
// one-line or a multi-line field.
#pragma once

#include <memory>
#include <string>

#include "formats/variable_table.h"
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

// Which page a variable gets: types 0 and 1 a one-line field, 2 and 3 a
// multi-line one; a variable that is not editable, or of any other type, none
// (it is written back as read).
enum class PageKind { None, SingleLine, MultiLine };
PageKind PageKindFor(const formats::CVariable& variable);

// The page of the variable's kind, belonging to `entry`; null for none.
std::unique_ptr<CVariablePage> MakePage(const formats::CVariable& variable, CWizardEntry* entry);

}  // namespace ui
