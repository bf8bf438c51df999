#include "ui/framework/dialog.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "res/dialog_template.h"
#include "ui/framework/win_app.h"
#include "ui/qt/dialog_builder.h"
#include "ui/qt/dialog_impl.h"

namespace ui {

QWidget* OwnerWindow(const CWnd* parent, const CWnd* self) {
  if (parent) return static_cast<QWidget*>(parent->GetSafeHwnd());
  const CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd && app->m_pMainWnd != self && app->m_pMainWnd->GetSafeHwnd()) {
    return static_cast<QWidget*>(app->m_pMainWnd->GetSafeHwnd());
  }
  return QApplication::activeModalWidget();
}

void CDialog::Impl::Attach(QWidget* newWindow) {
  window = newWindow;
  dialog.m_hWnd = newWindow;
  BuildDialog(newWindow, res::GetDialogTemplate(dialog.m_nTemplateId));
  for (auto* button : newWindow->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
    const int id = button->objectName().toInt();
    QObject::connect(button, &QPushButton::clicked, newWindow, [this, id] { Command(id); });
  }
}

void CDialog::Impl::Detach() {
  for (CWnd* control : bound) control->Attach(nullptr);
  bound.clear();
  dialog.m_hWnd = nullptr;
}

void CDialog::Impl::Initialise() {
  if (!dialog.OnInitDialog() || !window) return;
  if (QWidget* first = FirstTabStop(window)) first->setFocus();
}

void CDialog::Impl::Paint(const std::function<void()>& paintAsPlatform) {
  platformPaint = paintAsPlatform;
  dialog.OnPaint();
  platformPaint = nullptr;
}

QWidget* CDialog::Impl::CreateChild(CDialog& page, QWidget* parent) {
  Impl& impl = *page.m_pImpl;
  if (!impl.window) {
    impl.Attach(new DialogWindow<QWidget>(impl, parent, Qt::Widget));
    impl.Initialise();
  }
  return impl.window;
}

CDialog::CDialog(int templateId, CWnd* parent)
    : m_nTemplateId(templateId), m_pParent(parent), m_pImpl(std::make_unique<Impl>(*this)) {}

CDialog::~CDialog() {
  // The controls bound to the window were members of the derived class and are gone.
  m_pImpl->bound.clear();
  delete m_pImpl->window;
}

int CDialog::DoModal() {
  const res::DialogTemplate& dialog = res::GetDialogTemplate(m_nTemplateId);
  auto* window = new ModalDialogWindow(*m_pImpl, OwnerWindow(m_pParent, this),
                                       DialogWindowFlags(dialog.style));
  m_pImpl->ended = false;
  m_pImpl->Attach(window);
  m_pImpl->Initialise();
  const int result = m_pImpl->ended ? m_pImpl->result : window->exec();
  delete window;
  return result;
}

void CDialog::EndDialog(int result) {
  m_pImpl->ended = true;
  m_pImpl->result = result;
  if (auto* window = qobject_cast<QDialog*>(m_pImpl->window)) window->done(result);
}

void CDialog::SetIcon(IconHandle icon, bool /*big*/) {
  // A Qt window has one icon, drawn at whatever size the place needs.
  if (m_pImpl->window && icon) m_pImpl->window->setWindowIcon(*static_cast<const QIcon*>(icon));
}

bool CDialog::IsIconic() const {
  return m_pImpl->window && m_pImpl->window->isMinimized();
}

bool CDialog::OnInitDialog() {
  DoDataExchange();
  return true;
}

void CDialog::DDX_Control(int id, CWnd& control) {
  QWidget* item = m_pImpl->window ? GetDlgItem<QWidget>(m_pImpl->window, id) : nullptr;
  control.Attach(item);
  auto& bound = m_pImpl->bound;
  if (item && std::find(bound.begin(), bound.end(), &control) == bound.end()) {
    bound.push_back(&control);
  }
}

void CDialog::OnCommand(int id) {
  if (id == IDOK) OnOK();
  if (id == IDCANCEL) OnCancel();
}

void CDialog::OnPaint() {
  if (m_pImpl->platformPaint) m_pImpl->platformPaint();
}

struct CPaintDC::Impl {
  QPainter painter;
};

CPaintDC::CPaintDC(CWnd* window) : m_pImpl(std::make_unique<Impl>()) {
  if (auto* widget = static_cast<QWidget*>(window->GetSafeHwnd())) m_pImpl->painter.begin(widget);
}

CPaintDC::~CPaintDC() = default;

void* CPaintDC::GetSafeHdc() const {
  return m_pImpl->painter.isActive() ? &m_pImpl->painter : nullptr;
}

void CPaintDC::DrawIcon(int x, int y, IconHandle icon) {
  if (!icon || !m_pImpl->painter.isActive()) return;
  static_cast<const QIcon*>(icon)->paint(
      &m_pImpl->painter, QRect(x, y, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
}

}  // namespace ui
