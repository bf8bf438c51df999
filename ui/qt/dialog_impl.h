// A dialog's Qt state: its window, built from the dialog's template, and the
// controls bound to it. The window forwards to the dialog what the platform
// would send it: commands, Escape and the close box, painting.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <vector>

#include "ui/framework/dialog.h"

class QPaintEvent;

namespace ui {

// The window that owns a modal window: its parent, else the application's main
// window, else whichever modal window is open.
QWidget* OwnerWindow(const CWnd* parent, const CWnd* self);

struct CDialog::Impl {
  explicit Impl(CDialog& owner) : dialog(owner) {}

  // Builds the dialog's controls in `window` and makes it the dialog's window.
  void Attach(QWidget* newWindow);
  // The window is going away: the dialog and its bound controls forget it.
  void Detach();
  // Runs OnInitDialog; when it returns true, the first tab stop gets the focus.
  void Initialise();
  void Command(int id) { dialog.OnCommand(id); }
  // Runs OnPaint; meanwhile CDialog::OnPaint runs `paintAsPlatform`.
  void Paint(const std::function<void()>& paintAsPlatform);

  // A page's window inside `parent`: built and initialised the first time,
  // kept until the window goes.
  static QWidget* CreateChild(CDialog& page, QWidget* parent);

  CDialog& dialog;
  QPointer<QWidget> window;
  std::vector<CWnd*> bound;
  bool ended = false;
  int result = IDCANCEL;
  std::function<void()> platformPaint;
};

// The window of a dialog or a page: a QDialog or a plain QWidget.
template <class Base>
class DialogWindow : public Base {
 public:
  DialogWindow(CDialog::Impl& impl, QWidget* parent, Qt::WindowFlags flags)
      : Base(parent, flags), m_impl(impl) {}
  ~DialogWindow() override { m_impl.Detach(); }

 protected:
  void paintEvent(QPaintEvent* event) override {
    m_impl.Paint([this, event] { Base::paintEvent(event); });
  }

  CDialog::Impl& m_impl;
};

// A modal dialog's window: Escape and the close box arrive as IDCANCEL.
class ModalDialogWindow : public DialogWindow<QDialog> {
 public:
  using DialogWindow::DialogWindow;
  void reject() override { m_impl.Command(IDCANCEL); }
};

}  // namespace ui
