#include "tools/sample-ebook/book_window.h"

#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "tools/sample-ebook/book_text.h"
#include "tools/sample-ebook/display_text.h"

namespace sample_ebook {
namespace {

constexpr int kMargin = 32;
const char kDefaultAccent[] = "#2f5f7f";

QString Local(const std::string& bytes) {
  return QString::fromLocal8Bit(QByteArray::fromStdString(bytes));
}

bool IsWebAddress(const QUrl& url) {
  return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") &&
         !url.host().isEmpty();
}

}  // namespace

CBookWindow::CBookWindow(const CBookSource& source, QWidget* parent)
    : QWidget(parent), m_source(source) {
  const QString accent = Value("accent");
  m_accent = QColor::isValidColor(accent) ? QColor(accent) : QColor(kDefaultAccent);

  m_pPages = new QStackedWidget;
  m_btnPrevious = new QPushButton(tr("< Previous"));
  m_btnNext = new QPushButton(tr("Next >"));
  m_stcPage = new QLabel;
  m_stcPage->setTextFormat(Qt::PlainText);
  m_stcPage->setAlignment(Qt::AlignCenter);
  connect(m_btnPrevious, &QPushButton::clicked, this, [this] { ShowPage(CurrentPage() - 1); });
  connect(m_btnNext, &QPushButton::clicked, this, [this] { ShowPage(CurrentPage() + 1); });

  auto* navigation = new QHBoxLayout;
  navigation->setContentsMargins(12, 8, 12, 12);
  navigation->addWidget(m_btnPrevious);
  navigation->addWidget(m_stcPage, 1);
  navigation->addWidget(m_btnNext);

  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_pPages, 1);
  layout->addWidget(line);
  layout->addLayout(navigation);

  if (m_source.GetStatus() == CBookSource::kOk) {
    BuildBook();
    setWindowTitle(Value("title", tr("Sample E-Book")));
  } else {
    BuildNoTablePage();
    setWindowTitle(tr("Sample E-Book"));
  }
  setMinimumSize(480, 400);
  resize(680, 580);
  ShowPage(0);
}

int CBookWindow::PageCount() const {
  return m_pPages->count();
}

int CBookWindow::CurrentPage() const {
  return m_pPages->currentIndex();
}

void CBookWindow::ShowPage(int index) {
  if (index < 0 || index >= PageCount()) return;
  m_pPages->setCurrentIndex(index);
  m_btnPrevious->setEnabled(index > 0);
  m_btnNext->setEnabled(index + 1 < PageCount());
  m_stcPage->setText(tr("Page %1 of %2").arg(index + 1).arg(PageCount()));
}

void CBookWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_PageUp:
      ShowPage(CurrentPage() - 1);
      break;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
      ShowPage(CurrentPage() + 1);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

QString CBookWindow::Value(const char* ident, const QString& fallback) const {
  const ebv_variable* variable = m_source.Find(ident);
  return variable ? DisplayText(ValueOf(*variable)) : fallback;
}

QVBoxLayout* CBookWindow::AddPage() {
  auto* content = new QWidget;
  auto* page = new QVBoxLayout(content);
  page->setContentsMargins(kMargin + 8, kMargin, kMargin + 8, kMargin);
  page->setSpacing(14);
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  m_pPages->addWidget(scroll);
  return page;
}

QLabel* CBookWindow::AddLabel(QVBoxLayout* page, const QString& text, Role role) {
  auto* label = new QLabel;
  // Texts from the table may contain anything, markup included: never interpret it.
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);

  QFont font = label->font();
  const qreal base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
  QPalette palette = label->palette();
  switch (role) {
    case Role::kTitle:
      font.setPointSizeF(base * 2.2);
      font.setBold(true);
      palette.setColor(QPalette::WindowText, m_accent);
      label->setAlignment(Qt::AlignCenter);
      break;
    case Role::kSubtitle:
      font.setPointSizeF(base * 1.4);
      label->setAlignment(Qt::AlignCenter);
      break;
    case Role::kHeading:
      font.setPointSizeF(base * 1.5);
      font.setBold(true);
      palette.setColor(QPalette::WindowText, m_accent);
      break;
    case Role::kBody:
      font.setPointSizeF(base * 1.15);
      break;
    case Role::kQuote:
      font.setPointSizeF(base * 1.25);
      font.setItalic(true);
      label->setAlignment(Qt::AlignCenter);
      break;
    case Role::kSmall:
      font.setPointSizeF(base * 0.9);
      palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
      break;
    case Role::kLink:
      font.setPointSizeF(base * 1.15);
      font.setUnderline(true);
      palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
      break;
  }
  label->setFont(font);
  label->setPalette(palette);
  page->addWidget(label);
  return label;
}

void CBookWindow::BuildBook() {
  // Cover.
  QVBoxLayout* page = AddPage();
  page->addStretch(2);
  AddLabel(page, Value("title", tr("Untitled")), Role::kTitle);
  const QString author = Value("author");
  if (!author.isEmpty()) AddLabel(page, tr("by %1").arg(author), Role::kSubtitle);
  page->addStretch(3);
  AddLabel(page, Value("edition"), Role::kSmall)->setAlignment(Qt::AlignCenter);

  // Dedication.
  const QString dedication = Value("dedication");
  if (!dedication.isEmpty()) {
    page = AddPage();
    page->addStretch(1);
    AddLabel(page, dedication, Role::kQuote);
    page->addStretch(2);
  }

  for (const Chapter& chapter : kChapters) {
    page = AddPage();
    AddLabel(page, tr(chapter.heading), Role::kHeading);
    for (const char* paragraph : chapter.paragraphs) AddLabel(page, tr(paragraph), Role::kBody);
    page->addStretch(1);
  }

  // Afterword: the note and the link.
  page = AddPage();
  AddLabel(page, tr("A Note from the Author"), Role::kHeading);
  AddLabel(page, Value("note"), Role::kBody);
  const QString website = Value("website");
  if (!website.isEmpty()) {
    AddLabel(page, tr("More from the author:"), Role::kBody);
    AddLabel(page, website, Role::kLink);
    const QUrl url(website.trimmed());
    auto* open = new QPushButton(tr("Open in Browser"));
    open->setEnabled(IsWebAddress(url));
    connect(open, &QPushButton::clicked, this, [url] { QDesktopServices::openUrl(url); });
    page->addWidget(open, 0, Qt::AlignLeft);
  }
  page->addStretch(1);

  BuildAboutPage();
}

void CBookWindow::BuildAboutPage() {
  QVBoxLayout* page = AddPage();
  AddLabel(page, tr("About This E-Book"), Role::kHeading);
  AddLabel(page, tr(kAboutText), Role::kBody);
  AddLabel(page,
           tr("Identity: %1 · format version %2 · %3")
               .arg(Local(m_source.Identity()))
               .arg(m_source.Version())
               .arg(m_source.Rebranded() ? tr("customized") : tr("not yet customized")),
           Role::kSmall);
  for (size_t i = 0; i < m_source.Count(); ++i) {
    const ebv_variable& variable = m_source.At(i);
    QLabel* prompt = AddLabel(page, DisplayText(PromptOf(variable)), Role::kBody);
    QFont bold = prompt->font();
    bold.setBold(true);
    prompt->setFont(bold);
    AddLabel(page, DisplayText(ValueOf(variable)), Role::kBody);
    AddLabel(page,
             tr("%1 · %2 · type %3")
                 .arg(Local(IdentOf(variable)))
                 .arg(variable.editable ? tr("editable") : tr("fixed"))
                 .arg(variable.type),
             Role::kSmall);
  }
  page->addStretch(1);
}

void CBookWindow::BuildNoTablePage() {
  QVBoxLayout* page = AddPage();
  page->addStretch(1);
  AddLabel(page, tr("No Variable Table"), Role::kHeading)->setAlignment(Qt::AlignCenter);
  const QString reason = Local(NoTableReason(m_source.GetStatus()));
  AddLabel(page, reason, Role::kBody)->setAlignment(Qt::AlignCenter);
  AddLabel(page, Local(m_source.GetPath()), Role::kSmall)->setAlignment(Qt::AlignCenter);
  page->addStretch(2);
}

}  // namespace sample_ebook
