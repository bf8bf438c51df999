#include "ui/property_page.h"

#include "res/dialog_template.h"
#include "ui/dialog_builder.h"
#include "ui/text_codec.h"

namespace ui {

CPropertyPage::~CPropertyPage() {
  delete m_pWnd;
}

void CPropertyPage::Create(QWidget* parent) {
  if (m_pWnd) return;
  m_pWnd = new QWidget(parent);
  BuildDialog(m_pWnd, res::GetDialogTemplate(m_nTemplateId));
  OnInitDialog();
}

QString CPropertyPage::GetTitle() const {
  if ((m_psp.dwFlags & PSP_USETITLE) && m_psp.pszTitle) return FromExecutableText(m_psp.pszTitle);
  return m_pWnd ? m_pWnd->windowTitle() : QString();
}

}  // namespace ui
