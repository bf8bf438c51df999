#include "ui/property_sheet.h"

#include <QApplication>
#include <QFrame>
#include <QPushButton>
#include <algorithm>

#include "res/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/property_page.h"
#include "ui/rebrand_app.h"
#include "ui/text_codec.h"

namespace ui {
namespace {

// Frame geometry in dialog units around a page of the page templates' size.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

QPushButton* MakeButton(QWidget* parent, const QString& text, int id, int x, int y) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  button->setGeometry(MapDialogRect(parent->font(), x, y, kButtonWidth, kButtonHeight));
  return button;
}

}  // namespace

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent, int selectPage)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_nSelectPage(selectPage) {
  setWindowTitle(LiteralWindowTitle(caption));
  const res::DialogTemplate& page = res::GetDialogTemplate(res::IDD_SINGLELINE_PAGE);
  const QFont f = font();
  m_pPageArea = new QWidget(this);
  m_pPageArea->setGeometry(MapDialogRect(f, 0, 0, page.width, page.height));

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(MapDialogRect(f, kMargin, page.height + 2, page.width - 2 * kMargin, 2));

  const int y = page.height + 8;
  const int cancelX = page.width - kMargin - kButtonWidth;
  const int nextX = cancelX - kMargin - kButtonWidth;
  m_btnHelp = MakeButton(this, tr("&Help"), IDHELP, kMargin, y);
  m_btnBack = MakeButton(this, tr("< &Back"), ID_WIZBACK, nextX - kButtonWidth, y);
  m_btnNext = MakeButton(this, tr("&Next >"), ID_WIZNEXT, nextX, y);
  m_btnFinish = MakeButton(this, tr("Finish"), ID_WIZFINISH, nextX, y);
  m_btnCancel = MakeButton(this, tr("Cancel"), res::IDCANCEL, cancelX, y);
  setFixedSize(MapDialogRect(f, 0, 0, page.width, y + kButtonHeight + kMargin).size());

  connect(m_btnBack, &QPushButton::clicked, this, &CPropertySheet::OnBack);
  connect(m_btnNext, &QPushButton::clicked, this, &CPropertySheet::OnNext);
  connect(m_btnFinish, &QPushButton::clicked, this, &CPropertySheet::OnFinish);
  connect(m_btnCancel, &QPushButton::clicked, this, &CPropertySheet::reject);
  SetWizardButtons(0);
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
  m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetActivePage() const {
  return m_nActive >= 0 ? m_pages[m_nActive] : nullptr;
}

int CPropertySheet::DoModal() {
  if (!parentWidget()) {
    QWidget* owner = theApp.m_pMainWnd ? theApp.m_pMainWnd : QApplication::activeModalWidget();
    if (owner) setParent(owner, windowFlags());
  }
  m_btnHelp->setVisible(m_psh.dwFlags & PSH_HASHELP);
  if (m_pages.empty()) return res::IDCANCEL;
  SetActivePage(std::clamp(m_nSelectPage, 0, GetPageCount() - 1));
  return exec();
}

void CPropertySheet::SetActivePage(int index) {
  if (index < 0 || index >= GetPageCount()) return;
  CPropertyPage* page = m_pages[index];
  page->Create(m_pPageArea);
  if (CPropertyPage* previous = GetActivePage()) previous->GetSafeHwnd()->hide();
  m_nActive = index;
  page->GetSafeHwnd()->show();
  setWindowTitle(LiteralWindowTitle(page->GetTitle()));
  page->OnSetActive();
  // Focus goes to the page's first tab stop.
  for (QWidget* child : page->GetSafeHwnd()->findChildren<QWidget*>()) {
    if (child->focusPolicy() & Qt::TabFocus) {
      child->setFocus();
      break;
    }
  }
}

void CPropertySheet::SetWizardButtons(unsigned flags) {
  m_btnBack->setEnabled(flags & PSWIZB_BACK);
  const bool finish = flags & PSWIZB_FINISH;
  m_btnNext->setVisible(!finish);
  m_btnNext->setEnabled(flags & PSWIZB_NEXT);
  m_btnFinish->setVisible(finish);
  // Enter on a one-line field presses whichever of the two is showing.
  m_btnNext->setDefault(!finish);
  m_btnFinish->setDefault(finish);
}

void CPropertySheet::PostWizardButtons(unsigned flags) {
  QMetaObject::invokeMethod(
      this, [this, flags] { SetWizardButtons(flags); }, Qt::QueuedConnection);
}

void CPropertySheet::OnBack() {
  CPropertyPage* page = GetActivePage();
  if (!page || !m_btnBack->isEnabled() || page->OnWizardBack() != 0) return;
  SetActivePage(m_nActive - 1);
}

void CPropertySheet::OnNext() {
  CPropertyPage* page = GetActivePage();
  // The buttons change by a posted message: a press before it lands must not
  // run past the last page.
  if (!page || !m_btnNext->isVisible() || m_nActive + 1 >= GetPageCount()) return;
  if (page->OnWizardNext() != 0) return;
  SetActivePage(m_nActive + 1);
}

void CPropertySheet::OnFinish() {
  CPropertyPage* page = GetActivePage();
  // Only the last page finishes: every other page is left through Next, which
  // keeps what was typed there.
  if (!page || !m_btnFinish->isVisible() || m_nActive + 1 != GetPageCount()) return;
  if (page->OnWizardFinish()) done(ID_WIZFINISH);
}

void CPropertySheet::reject() {
  done(res::IDCANCEL);
}

}  // namespace ui
