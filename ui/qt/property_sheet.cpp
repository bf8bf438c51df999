// The wizard frame: the current page above Back, Next or Finish, and Cancel.
// The title bar shows the current page's title.
#include "ui/framework/property_sheet.h"

#include <QDialog>
#include <QFrame>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "res/dialog_template.h"
#include "ui/qt/dialog_builder.h"
#include "ui/qt/dialog_impl.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/text_codec.h"
#include "ui/ui_messages.h"

namespace ui {
namespace {

// Frame geometry in dialog units around the pages.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

// Cancel, Escape and the close box close the frame with IDCANCEL.
class FrameWindow : public QDialog {
 public:
  using QDialog::QDialog;
  void reject() override { done(IDCANCEL); }
};

QPushButton* MakeButton(QWidget* parent, const QString& text, int id, int x, int y) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  button->setGeometry(MapDialogRect(parent->font(), x, y, kButtonWidth, kButtonHeight));
  return button;
}

}  // namespace

// Only the wizard mode is made: the program runs no other sheet.
struct CPropertySheet::Impl {
  explicit Impl(CPropertySheet& owner) : sheet(owner) {}

  void Create(QWidget* owner);
  void SetActivePage(int index);
  void SetWizardButtons(uint32_t flags);
  void OnBack();
  void OnNext();
  void OnFinish();
  CPropertyPage* ActivePage() const { return active >= 0 ? sheet.m_pages[active] : nullptr; }

  CPropertySheet& sheet;
  std::unique_ptr<QDialog> frame;
  QWidget* pageArea = nullptr;
  QPushButton* back = nullptr;
  QPushButton* next = nullptr;
  QPushButton* finish = nullptr;
  int active = -1;
};

void CPropertySheet::Impl::Create(QWidget* owner) {
  frame = std::make_unique<FrameWindow>(
      owner, DialogWindowFlags(res::style::kCaption | res::style::kSysMenu));
  frame->setWindowTitle(LiteralWindowTitle(FromExecutableText(sheet.m_strCaption)));
  int width = 0, height = 0;
  for (const CPropertyPage* page : sheet.m_pages) {
    const res::DialogTemplate& t = res::GetDialogTemplate(page->GetTemplateId());
    width = std::max(width, t.width);
    height = std::max(height, t.height);
  }
  const QFont f = frame->font();
  pageArea = new QWidget(frame.get());
  pageArea->setGeometry(MapDialogRect(f, 0, 0, width, height));

  auto* line = new QFrame(frame.get());
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(MapDialogRect(f, kMargin, height + 2, width - 2 * kMargin, 2));

  const int y = height + 8;
  const int cancelX = width - kMargin - kButtonWidth;
  const int nextX = cancelX - kMargin - kButtonWidth;
  QWidget* parent = frame.get();
  QPushButton* help = MakeButton(parent, QDialog::tr(kHelpButton), IDHELP, kMargin, y);
  help->setVisible(sheet.m_psh.dwFlags & PSH_HASHELP);
  back = MakeButton(parent, QDialog::tr(kBackButton), ID_WIZBACK, nextX - kButtonWidth, y);
  next = MakeButton(parent, QDialog::tr(kNextButton), ID_WIZNEXT, nextX, y);
  finish = MakeButton(parent, QDialog::tr(kFinishButton), ID_WIZFINISH, nextX, y);
  QPushButton* cancel = MakeButton(parent, QDialog::tr(kCancelButton), IDCANCEL, cancelX, y);
  frame->setFixedSize(MapDialogRect(f, 0, 0, width, y + kButtonHeight + kMargin).size());

  QObject::connect(back, &QPushButton::clicked, parent, [this] { OnBack(); });
  QObject::connect(next, &QPushButton::clicked, parent, [this] { OnNext(); });
  QObject::connect(finish, &QPushButton::clicked, parent, [this] { OnFinish(); });
  QObject::connect(cancel, &QPushButton::clicked, parent, [this] { frame->reject(); });
  SetWizardButtons(0);
}

void CPropertySheet::Impl::SetActivePage(int index) {
  if (index < 0 || index >= sheet.GetPageCount()) return;
  CPropertyPage* page = sheet.m_pages[index];
  QWidget* window = CDialog::Impl::CreateChild(*page, pageArea);
  if (CPropertyPage* previous = ActivePage()) {
    static_cast<QWidget*>(previous->GetSafeHwnd())->hide();
  }
  active = index;
  window->show();
  const bool ownTitle = (page->m_psp.dwFlags & PSP_USETITLE) && page->m_psp.pszTitle;
  frame->setWindowTitle(LiteralWindowTitle(ownTitle ? FromExecutableText(page->m_psp.pszTitle)
                                                    : window->windowTitle()));
  page->OnSetActive();
  if (QWidget* first = FirstTabStop(window)) first->setFocus();
}

void CPropertySheet::Impl::SetWizardButtons(uint32_t flags) {
  back->setEnabled(flags & PSWIZB_BACK);
  const bool showFinish = flags & PSWIZB_FINISH;
  next->setVisible(!showFinish);
  next->setEnabled(flags & PSWIZB_NEXT);
  finish->setVisible(showFinish);
  // Enter on a one-line field presses whichever of the two is showing.
  next->setDefault(!showFinish);
  finish->setDefault(showFinish);
}

void CPropertySheet::Impl::OnBack() {
  CPropertyPage* page = ActivePage();
  if (!page || !back->isEnabled() || page->OnWizardBack() != 0) return;
  SetActivePage(active - 1);
}

void CPropertySheet::Impl::OnNext() {
  CPropertyPage* page = ActivePage();
  // The buttons change by a posted message: a press before it lands must not
  // run past the last page.
  if (!page || !next->isVisible() || active + 1 >= sheet.GetPageCount()) return;
  if (page->OnWizardNext() != 0) return;
  SetActivePage(active + 1);
}

void CPropertySheet::Impl::OnFinish() {
  CPropertyPage* page = ActivePage();
  // Only the last page finishes: every other page is left through Next, which
  // keeps what was typed there.
  if (!page || !finish->isVisible() || active + 1 != sheet.GetPageCount()) return;
  if (page->OnWizardFinish()) frame->done(ID_WIZFINISH);
}

CPropertySheet::CPropertySheet(const std::string& caption, CWnd* parent, int selectPage)
    : m_strCaption(caption),
      m_pParent(parent),
      m_nSelectPage(selectPage),
      m_pImpl(std::make_unique<Impl>(*this)) {}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
  m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetActivePage() const {
  return m_pImpl->ActivePage();
}

int CPropertySheet::DoModal() {
  if (m_pages.empty()) return IDCANCEL;
  m_pImpl->Create(OwnerWindow(m_pParent, this));
  m_hWnd = m_pImpl->frame.get();
  m_pImpl->SetActivePage(std::clamp(m_nSelectPage, 0, GetPageCount() - 1));
  const int result = m_pImpl->frame->exec();
  // The pages' windows go with the frame.
  m_pImpl->frame.reset();
  m_pImpl->active = -1;
  m_hWnd = nullptr;
  return result;
}

void CPropertySheet::PostWizardButtons(uint32_t flags) {
  if (!m_pImpl->frame) return;
  QMetaObject::invokeMethod(
      m_pImpl->frame.get(), [this, flags] { m_pImpl->SetWizardButtons(flags); },
      Qt::QueuedConnection);
}

}  // namespace ui
