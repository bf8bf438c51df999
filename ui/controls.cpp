#include "ui/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace ui {

void CEdit::SetWindowText(const QString& text) {
  if (auto* lines = qobject_cast<QPlainTextEdit*>(m_pWnd)) {
    QString shown = text;
    lines->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  } else if (auto* line = qobject_cast<QLineEdit*>(m_pWnd)) {
    line->setText(text);
  }
}

QString CEdit::GetWindowText() const {
  if (auto* lines = qobject_cast<QPlainTextEdit*>(m_pWnd)) {
    return lines->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  }
  if (auto* line = qobject_cast<QLineEdit*>(m_pWnd)) return line->text();
  return QString();
}

void CStatic::SetWindowText(const QString& text) {
  if (m_pWnd) m_pWnd->setText(text);
}

}  // namespace ui
