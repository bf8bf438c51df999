#include "ui/framework/wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>

#include "ui/qt/text_codec.h"

namespace ui {
namespace {

QWidget* Widget(const CWnd* window) {
  return static_cast<QWidget*>(window->GetSafeHwnd());
}

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXICON:
    case SM_CYICON:
      return QApplication::style()->pixelMetric(QStyle::PM_LargeIconSize);
    default:
      return 0;
  }
}

void CWnd::SetWindowText(const std::string& text) {
  QWidget* widget = Widget(this);
  if (!widget) return;
  const QString shown = FromExecutableText(text);
  if (widget->isWindow()) {
    widget->setWindowTitle(LiteralWindowTitle(shown));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(shown);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(shown);
  } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    line->setText(shown);
  } else if (auto* lines = qobject_cast<QPlainTextEdit*>(widget)) {
    lines->setPlainText(QString(shown).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }
}

std::string CWnd::GetWindowText() const {
  QWidget* widget = Widget(this);
  if (!widget) return std::string();
  QString text;
  if (widget->isWindow()) {
    text = widget->windowTitle().replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    text = label->text();
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    text = button->text();
  } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    text = line->text();
  } else if (auto* lines = qobject_cast<QPlainTextEdit*>(widget)) {
    text = lines->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  }
  return ToExecutableText(text);
}

void CWnd::SetFocus() {
  if (QWidget* widget = Widget(this)) widget->setFocus();
}

void CWnd::GetClientRect(CRect* rect) const {
  const QWidget* widget = Widget(this);
  *rect = widget ? CRect{0, 0, widget->width(), widget->height()} : CRect{};
}

intptr_t CWnd::SendMessage(unsigned message, uintptr_t wParam, intptr_t /*lParam*/) {
  QWidget* widget = Widget(this);
  if (!widget) return 0;
  if (message == WM_ICONERASEBKGND && wParam) {
    // The minimised window's background, in the window's own brush.
    reinterpret_cast<QPainter*>(wParam)->fillRect(
        widget->rect(), widget->palette().brush(widget->backgroundRole()));
    return 1;
  }
  return 0;
}

}  // namespace ui
