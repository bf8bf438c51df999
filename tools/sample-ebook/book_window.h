// The sample E-Book's window: a short book, one page at a time, whose title,
// author, dedication, note and link come from the E-Book's variable table.
// Every text from the table is shown as plain text.
#pragma once

#include <QColor>
#include <QWidget>

#include "tools/sample-ebook/book_source.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;

namespace sample_ebook {

class CBookWindow : public QWidget {
  Q_OBJECT

 public:
  explicit CBookWindow(const CBookSource& source, QWidget* parent = nullptr);

  int PageCount() const;
  int CurrentPage() const;
  void ShowPage(int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Role { kTitle, kSubtitle, kHeading, kBody, kQuote, kSmall, kLink };

  // The value of a variable for display, or `fallback` when the table lacks it.
  QString Value(const char* ident, const QString& fallback = QString()) const;
  QLabel* AddLabel(QVBoxLayout* page, const QString& text, Role role);
  QVBoxLayout* AddPage();

  void BuildBook();
  void BuildNoTablePage();
  void BuildAboutPage();

  const CBookSource& m_source;
  QColor m_accent;
  QStackedWidget* m_pPages = nullptr;
  QPushButton* m_btnPrevious = nullptr;
  QPushButton* m_btnNext = nullptr;
  QLabel* m_stcPage = nullptr;
};

}  // namespace sample_ebook
