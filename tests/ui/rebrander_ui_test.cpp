// The rebrander's windows on Qt, on real widgets: the windows built from the
// templates, the message box, the main window, and the
// Customize and View buttons end to end against E-Book files packed by the
// project's packer.
#include <sys/stat.h>

#include <QApplication>
#include <QBitmap>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "tests/core/ebook_fixture.h"
#include "tests/ui/expected_windows.h"
#include "tools/mkebook/ebook_package.h"
#include "ui/framework/property_sheet.h"
#include "ui/framework/win_app.h"
#include "ui/qt/dialog_builder.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/rebrand_dlg.h"

namespace {

using namespace testing_support;
using namespace ebook_testing;
using formats::CVariable;
using ui::GetDlgItem;
using Texts = std::vector<std::string>;

const std::string kStored = "i The E-Book has been successfully customized.";
const std::string kAlready = "! This E-Book has already been rebranded.";

CVariable Var(const std::string& prompt, const std::string& value, int type, int editable = 1) {
  return Variable("id:" + prompt, prompt, value, editable, type);
}

// The wizard as the user sees it.
struct Wizard {
  QWidget* sheet = QApplication::activeModalWidget();

  QPushButton* Button(int id) const { return GetDlgItem<QPushButton>(sheet, id); }
  // A control of the current page; the pages seen before stay, hidden.
  QWidget* Shown(int id) const {
    for (QWidget* control : sheet->findChildren<QWidget*>(QString::number(id)))
      if (control->isVisible()) return control;
    return nullptr;
  }
  QWidget* Edit() const { return Shown(res::IDC_VALUE); }
  // Title, prompt, kind of field and its text, the buttons that can be
  // pressed, and how many pages have been built so far.
  std::string Describe() const {
    auto* lines = qobject_cast<QPlainTextEdit*>(Edit());
    std::string text =
        sheet->windowHandle()->title().toStdString() + ": " +
        qobject_cast<QLabel*>(Shown(res::IDC_PROMPT))->text().toStdString() +
        (lines ? " [multi] " + lines->toPlainText().toStdString()
               : " [single] " + qobject_cast<QLineEdit*>(Edit())->text().toStdString()) +
        " |";
    for (int id : {ui::ID_WIZBACK, ui::ID_WIZNEXT, ui::ID_WIZFINISH, res::IDCANCEL, ui::IDHELP})
      if (Button(id)->isVisible() && Button(id)->isEnabled())
        text += " " + Button(id)->text().toStdString();
    const auto built =
        sheet->findChildren<QLineEdit*>().size() + sheet->findChildren<QPlainTextEdit*>().size();
    return text + " | " + std::to_string(built) + " built";
  }
  // Replaces the field's text by typing, as a user would.
  void Type(const QString& text) const {
    QTest::keyClick(Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Edit(), text);
  }
  void Press(int id) const {
    QTest::mouseClick(Button(id), Qt::LeftButton);
    QCoreApplication::processEvents();  // the buttons follow a page change by a posted message
  }
};

// Runs `action` from the event loop once a modal window other than the one
// active now is up. Setting the returned flag to false withdraws it.
std::shared_ptr<bool> WhenModal(std::function<void()> action,
                                QPointer<QWidget> before = QApplication::activeModalWidget(),
                                std::shared_ptr<bool> pending = std::make_shared<bool>(true)) {
  QTimer::singleShot(0, qApp, [=] {
    if (!*pending) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != before) {
      *pending = false;
      return action();
    }
    WhenModal(action, before, pending);
  });
  return pending;
}

class RebranderTest : public ::testing::Test {
 protected:
  RebranderTest() {
    WriteFileBytes(rebranderPath, "program bytes");
    info.m_strEBookFile = "book.exe";
    info.m_strEBookId = "Book-ID";
    info.m_strStatusBefore = "Press Customize & make it yours.\nSecond line";
    info.m_strStatusAfter = "Customized.";
    info.m_strTitle = "My <b>Book</b> [*]";
    WriteFileBytes(program, "#!/bin/sh\ntouch \"$0.started\"\nexit 0\n");
    chmod(program.c_str(), 0755);
    platform::OverrideModuleFileName(rebranderPath);
  }
  ~RebranderTest() override {
    platform::OverrideModuleFileName(std::nullopt);
    formats::ResetRebrandInfoForTesting();
    platform::ResetApplicationNameForTesting();
  }

  // Stamps the stand-in rebrander with `info`, to be read afresh.
  void Stamp() {
    std::string error;
    ASSERT_TRUE(stamping::StampRebrander(rebranderPath, rebranderPath, info, 1, error)) << error;
    formats::ResetRebrandInfoForTesting();
  }

  // Stamps, then runs the program's application object; `body` runs inside
  // the main window's modal loop, and the window is closed after it.
  void Run(const std::function<void()>& body) {
    Stamp();
    recorder.messages.clear();
    auto pending = WhenModal([&] {
      mainWindow = QApplication::activeModalWidget();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
      body();
      static_cast<ui::CDialog*>(ui::AfxGetApp()->m_pMainWnd)->EndDialog(ui::IDCANCEL);
    });
    EXPECT_FALSE(ui::AfxGetApp()->InitInstance());
    EXPECT_FALSE(*pending) << "the main window never came up";
    *pending = false;
  }

  TempDir dir;
  std::string rebranderPath = dir.File("rebrander.bin");
  RecordingUserInterface recorder;
  formats::CInfoBlock info;
  QWidget* mainWindow = nullptr;

  void Pack(const std::vector<CVariable>& variables) {
    packing::EBookPackage package;
    package.trailer.SetId(info.m_strEBookId);
    package.trailer.m_nVersion = 1;
    for (const CVariable& v : variables) package.table.Add(v);
    std::string error;
    ASSERT_TRUE(packing::PackEBook(program, package, ebookPath, error)) << error;
  }
  // The stored values, and last whether the table is marked rebranded.
  Texts Stored() {
    packing::EBookPackage package;
    std::string error;
    EXPECT_TRUE(packing::LoadPackage(ebookPath, package, error)) << error;
    Texts values;
    for (int i = 0; i < package.table.GetSize(); ++i) values.push_back(package.table[i].m_strValue);
    values.push_back(package.table.m_bRebranded ? "rebranded" : "not rebranded");
    return values;
  }

  // Presses Customize; `drive` runs if the wizard comes up (none: cancel it).
  void Customize(std::function<void(const Wizard&)> drive = nullptr) {
    auto pending = WhenModal([this, drive] {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(QApplication::activeModalWidget()));
      QCoreApplication::processEvents();
      drive ? drive(Wizard()) : Wizard().Press(res::IDCANCEL);
      // A wizard left open would stop the run.
      QTimer::singleShot(2000, Wizard().sheet, [w = Wizard()] {
        w.sheet->close();
        ADD_FAILURE() << "the wizard is still open";
      });
    });
    Click(res::IDC_CUSTOMIZE);
    wizardShown = !*pending;
    *pending = false;
  }
  // Goes through every page unchanged and finishes.
  void Finish() {
    Customize([](const Wizard& w) {
      while (w.Button(ui::ID_WIZNEXT)->isVisible()) w.Press(ui::ID_WIZNEXT);
      w.Press(ui::ID_WIZFINISH);
    });
  }

  void Click(int id) { QTest::mouseClick(GetDlgItem<QPushButton>(mainWindow, id), Qt::LeftButton); }
  // Presses View; true once the E-Book has run.
  bool View() {
    QFile::remove(QString::fromStdString(ebookPath + ".started"));
    Click(res::IDC_VIEW_EBOOK);
    return QTest::qWaitFor(
        [&] { return QFile::exists(QString::fromStdString(ebookPath + ".started")); });
  }

  std::string Status() const {
    return GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS)->text().toStdString();
  }
  std::string Title() const { return mainWindow->windowHandle()->title().toStdString(); }
  // Each message shown: 'i' or '!' for its icon, then its text.
  Texts Messages() const {
    Texts texts;
    for (const auto& m : recorder.messages)
      texts.push_back((m.icon == platform::MessageIcon::Information ? "i " : "! ") + m.text);
    return texts;
  }

  // Leaves a store cut short before its journal, which holds the E-Book's
  // old bytes, was removed.
  void InterruptStore() {
    platform::SetIoFaultHook([&](const platform::IoChange& change) {
      return change.operation != platform::IoOperation::Remove ||
             change.path != ebook::JournalPathFor(ebookPath);
    });
    Customize([](const Wizard& w) {
      w.Type("never kept");
      w.Press(ui::ID_WIZFINISH);
    });
    platform::SetIoFaultHook({});
    recorder.messages.clear();
  }

  std::string program = dir.File("program");
  std::string ebookPath = dir.File(kEBookName);
  bool wizardShown = false;
};

// Each control where its dialog units put it, of its kind, with its text, and
// Tab through the tab stops in template order, on a small and a large font.
TEST(DialogLayoutTest, WindowsAreBuiltAsTheirTemplatesSayOnAnyFont) {
  using namespace expected_windows;
  for (const res::DialogTemplate* expected : {&kMain, &kMultiLinePage, &kSingleLinePage}) {
    for (int points : {8, 16}) {
      SCOPED_TRACE(std::to_string(expected->id) + " at " + std::to_string(points));
      QWidget window;
      window.setFont(QFont(window.font().family(), points));
      ui::BuildDialog(&window, res::GetDialogTemplate(expected->id));
      // Dialog base units as the platform defines them: the font's average
      // letter width, rounded, and its height.
      const QFontMetrics metrics(window.font());
      const int letters =
          metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
      const auto x = [&](int units) { return qRound(units * ((letters / 26 + 1) / 2) / 4.0); };
      const auto y = [&](int units) { return qRound(units * metrics.height() / 8.0); };
      EXPECT_EQ(window.windowTitle().toStdString(), expected->caption);
      EXPECT_EQ(window.size(), QSize(x(expected->width), y(expected->height)));
      std::vector<int> tabStops;
      for (const res::ControlTemplate& c : expected->controls) {
        QWidget* widget = GetDlgItem<QWidget>(&window, c.id);
        ASSERT_NE(widget, nullptr) << c.id;
        EXPECT_EQ(widget->geometry(), QRect(x(c.x), y(c.y), x(c.width), y(c.height)));
        if (c.style & kTabStop) tabStops.push_back(c.id);
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QPushButton*>(widget);
        const auto* lines = qobject_cast<QPlainTextEdit*>(widget);
        EXPECT_EQ(label ? Kind::Static : button ? Kind::PushButton : Kind::Edit, c.kind);
        EXPECT_EQ((label ? label->text() : button ? button->text() : "").toStdString(), c.text);
        EXPECT_EQ(lines != nullptr, (c.style & kEsMultiLine) != 0);
        EXPECT_EQ(lines ? lines->lineWrapMode() : QPlainTextEdit::NoWrap, QPlainTextEdit::NoWrap);
      }
      QWidget* focus = ui::FirstTabStop(&window);
      for (int id : tabStops) {
        EXPECT_EQ(focus->objectName().toInt(), id);
        while ((focus = focus->nextInFocusChain())->focusPolicy() == Qt::NoFocus ||
               focus == &window)
          continue;
      }
      EXPECT_EQ(focus, ui::FirstTabStop(&window)) << "and round again";
    }
  }
}

// Titles and the status as the stamp holds them, never markup; the title also
// captions every later message. Enter presses the focused button: there is no
// default button that would end the dialog.
TEST_F(RebranderTest, MainWindowShowsStampedTextsPlainlyAndIconWhenMinimisedAndEnds) {
  const std::pair<std::string, std::function<void()>> runs[] = {
      {"My <b>Book</b> [*]", [&] { Click(ui::IDCANCEL); }},
      {"", [&] { QTest::keyClick(mainWindow, Qt::Key_Escape); }}};  // the close box does the same
  for (const auto& [title, end] : runs) {
    info.m_strTitle = title;
    Run([&] {
      EXPECT_EQ(Title() + "|" + Status(), title + "|" + info.m_strStatusBefore);
      EXPECT_EQ(GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS)->textFormat(), Qt::PlainText);
      EXPECT_EQ(QApplication::focusWidget(), GetDlgItem<QPushButton>(mainWindow, 1002));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      EXPECT_TRUE(mainWindow->isVisible());
      // Minimised, the window alone (no controls) shows its background with
      // the icon centred on it, at the system's icon size.
      mainWindow->setWindowState(Qt::WindowMinimized);
      QImage image(mainWindow->size(), QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::transparent);
      mainWindow->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
      const int size = mainWindow->style()->pixelMetric(QStyle::PM_LargeIconSize);
      QRect centred(0, 0, size, size), drawn;
      centred.moveCenter(mainWindow->rect().center());
      // The mask marks the background as color0, which the region leaves out.
      drawn = QRegion(QBitmap::fromImage(image.createMaskFromColor(
                          mainWindow->palette().color(QPalette::Window).rgba(), Qt::MaskInColor)))
                  .boundingRect();
      EXPECT_TRUE(drawn.width() > size / 2 && centred.contains(drawn))
          << "an icon, and outside it the background is erased";
      end();
      EXPECT_FALSE(mainWindow->isVisible());
    });
    ASSERT_EQ(recorder.messages.size(), 1u) << "Customize found no E-Book";
    EXPECT_EQ(recorder.messages[0].caption, title);
  }
}

TEST(QtUserInterfaceTest, MessageBoxShowsPlainTextWithCaptionIconAndOkOnly) {
  ui::CQtUserInterface userInterface;
  for (auto [icon, shownAs] : {std::pair{platform::MessageIcon::Exclamation, QMessageBox::Warning},
                               {platform::MessageIcon::Information, QMessageBox::Information}}) {
    const auto pending = WhenModal([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      EXPECT_EQ(std::tuple(box->windowTitle() + "|" + box->text(), box->icon(), box->textFormat(),
                           box->buttons().size()),
                std::tuple("Cap|<i>not italic</i>\nline", shownAs, Qt::PlainText, 1));
      QTest::keyClick(box, Qt::Key_Return);
    });
    userInterface.ShowMessage("Cap", "<i>not italic</i>\nline", icon);
    EXPECT_FALSE(*pending) << "no message box came up";
  }
}

// Types 0 and 1 get a one-line page, 2 and 3 a multi-line one, numbered by
// page; variables that are not editable or of another type get none and are
// written back as read. Pages are built when first shown and keep what was
// typed on them; Enter starts a new line on a multi-line page and finishes on
// the last one-line page.
TEST_F(RebranderTest, EachEditableVariableOfAKnownTypeGetsThePageOfItsType) {
  Pack({Var("Title", "Old title", 0), Var("Hidden", "keep", 2, 0), Var("Notes", "n", 3),
        Var("Odd", "odd", 4), Var("Dedication", "To you", 2), Var("Neg", "x", -1),
        Var("Name & address", "Ann", 1)});
  Texts seen;
  Run([&] {
    Customize([&](const Wizard& w) {
      seen.push_back(w.Describe());
      w.Type("New title");
      w.Press(ui::ID_WIZNEXT);
      seen.push_back(w.Describe());
      w.Type("Line one\rLine two");  // \r is typed as Return
      for (int button : {ui::ID_WIZBACK, ui::ID_WIZNEXT, ui::ID_WIZNEXT, ui::ID_WIZNEXT}) {
        w.Press(button);
        seen.push_back(w.Describe());
      }
      w.Type("Bea\r");
    });
    EXPECT_EQ(Status(), info.m_strStatusAfter);
  });
  EXPECT_EQ(
      seen,
      (Texts{"Step 1 of 4: Title [single] Old title | &Next > Cancel | 1 built",
             "Step 2 of 4: Notes [multi] n | < &Back &Next > Cancel | 2 built",
             "Step 1 of 4: Title [single] New title | &Next > Cancel | 2 built",
             "Step 2 of 4: Notes [multi] Line one\nLine two | < &Back &Next > Cancel | 2 built",
             "Step 3 of 4: Dedication [multi] To you | < &Back &Next > Cancel | 3 built",
             "Step 4 of 4: Name & address [single] Ann | < &Back Finish Cancel | 4 built"}));
  EXPECT_EQ(Stored(), (Texts{"New title", "keep", "Line one\r\nLine two", "odd", "To you", "x",
                             "Bea", "rebranded"}));
  EXPECT_EQ(Messages(), Texts{kStored});
}

// Cancel, Escape (the close box takes the same way) and a store that fails write nothing, even
// after a run that stored, and bring back the status from before.
TEST_F(RebranderTest, LeavingTheWizardWithoutFinishWritesNothing) {
  Pack({Var("Only", "value", 3)});
  info.m_bAllowRepeat = 1;
  Run([&] {
    for (const auto& leave : std::vector<std::function<void(const Wizard&)>>{
             [](const Wizard& w) { w.Press(res::IDCANCEL); },
             [](const Wizard& w) { QTest::keyClick(w.Edit(), Qt::Key_Escape); },
             [this](const Wizard& w) {
               chmod(ebookPath.c_str(), 0444);  // made read-only while the wizard is open
               w.Press(ui::ID_WIZFINISH);
             }}) {
      Finish();
      const std::string before = ReadFileBytes(ebookPath);
      ASSERT_EQ(Status(), info.m_strStatusAfter);
      Customize([&](const Wizard& w) {
        EXPECT_EQ(w.Describe(), "Step 1 of 1: Only [multi] value | Finish Cancel | 1 built");
        w.Type("typed, then thrown away");
        leave(w);
      });
      EXPECT_EQ(ReadFileBytes(ebookPath), before);
      EXPECT_EQ(Status(), info.m_strStatusBefore);
    }
    EXPECT_EQ(Messages(), (Texts{kStored, kStored, kStored, "! " + kCantOpenForWriting}));
  });
}

// Values the user did not touch keep their exact bytes, even ones the locale
// cannot show. A stored E-Book is refused a second run when the stamp allows
// no repeats; a table with nothing to edit shows no wizard.
TEST_F(RebranderTest, UntouchedValuesKeepTheirBytesAndNoWizardForNothingToEdit) {
  const std::string raw = "caf\xe9 \xff\xfe bytes\r\nlone\nfeed";
  Pack({Var("Raw", raw, 0), Var("Raw lines", raw, 2)});
  Run([&] {
    Finish();
    EXPECT_EQ(Stored(), (Texts{raw, raw, "rebranded"}));
    Customize();
    Pack({});
    Customize();
    EXPECT_EQ(Status(), info.m_strStatusBefore);
    Pack({Var("Hidden", "h", 0, 0), Var("Odd", "o", 9)});
    const std::string before = ReadFileBytes(ebookPath);
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Messages(), (Texts{kStored, kAlready, "! No variables found."}));
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
  });
}

// A failed check stops both buttons before anything else. View then redraws
// title and status from the stamp as it is now; Customize leaves them. Both
// first roll back a store that was cut short.
TEST_F(RebranderTest, ViewRedrawsWhateverTheCheckSaysAndBothRollBackAnInterruptedStore) {
  info.m_bAllowRepeat = 1;
  Run([&] {
    const std::string shown = Title() + Status();
    info.m_strTitle = "Restamped";
    info.m_strStatusBefore = " status";
    Stamp();
    Customize();
    EXPECT_EQ(Title() + Status(), shown);
    Click(res::IDC_VIEW_EBOOK);
    EXPECT_EQ(Title() + Status(), "Restamped status");
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Messages(), Texts(2, "! " + NotFoundText(dir.Path() + "/")));

    Pack({Var("One", "1", 0)});
    const size_t handles = OpenHandleCount();
    Finish();
    EXPECT_TRUE(View()) << "the E-Book did not start";
    EXPECT_EQ(Messages().back(), kStored);
    EXPECT_EQ(OpenHandleCount(), handles) << "no descriptor outlives a click";

    const std::string original = ReadFileBytes(ebookPath);
    for (const bool view : {true, false}) {
      InterruptStore();
      EXPECT_TRUE(view ? View() : (Customize(), wizardShown)) << "the rolled-back E-Book is used";
      EXPECT_EQ(Messages(), Texts{"i " + kInterruptedUndone});
      EXPECT_EQ(ReadFileBytes(ebookPath), original);
      EXPECT_FALSE(std::filesystem::exists(ebook::JournalPathFor(ebookPath)));
    }
  });
}

}  // namespace
