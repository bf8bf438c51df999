// Thin handles on a page's controls, with the text conventions of the classic
// edit control: a multi-line edit's text uses CR LF between lines.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace ui {

class CEdit {
 public:
  void Attach(QWidget* control) { m_pWnd = control; }
  void SetWindowText(const QString& text);
  QString GetWindowText() const;

 private:
  QWidget* m_pWnd = nullptr;
};

class CStatic {
 public:
  void Attach(QLabel* control) { m_pWnd = control; }
  void SetWindowText(const QString& text);

 private:
  QLabel* m_pWnd = nullptr;
};

}  // namespace ui
