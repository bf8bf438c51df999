// The main window, the windows built from the templates, and the Qt message
// box and wait cursor, on real widgets.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWindow>

#include "formats/rebrand_info.h"
#include "tests/ui/expected_windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/qt/dialog_builder.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/rebrand_dlg.h"

namespace {

using namespace testing_support;
using ui::GetDlgItem;
using MainWindowTest = StampedRebranderTest;

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
      const QSize base = ui::DialogBaseUnits(window.font());
      const auto x = [&](int units) { return qRound(units * base.width() / 4.0); };
      const auto y = [&](int units) { return qRound(units * base.height() / 8.0); };
      EXPECT_EQ(window.windowTitle().toStdString(), expected->caption);
      EXPECT_EQ(window.size(), QSize(x(expected->width), y(expected->height)));
      std::vector<int> tabStops;
      for (const res::ControlTemplate& c : expected->controls) {
        QWidget* widget = GetDlgItem<QWidget>(&window, c.id);
        ASSERT_NE(widget, nullptr) << c.id;
        EXPECT_EQ(widget->geometry(), QRect(x(c.x), y(c.y), x(c.width), y(c.height)));
        if (c.style & kTabStop) tabStops.push_back(c.id);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
          EXPECT_EQ(c.kind, Kind::Static);
          EXPECT_EQ(label->text().toStdString(), c.text);
          EXPECT_TRUE(label->wordWrap());
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
          EXPECT_EQ(c.kind, Kind::PushButton);
          EXPECT_EQ(button->text().toStdString(), c.text);
        } else {
          EXPECT_EQ(c.kind, Kind::Edit);
          auto* lines = qobject_cast<QPlainTextEdit*>(widget);
          EXPECT_EQ(lines != nullptr, (c.style & kEsMultiLine) != 0);
          EXPECT_TRUE(lines ? lines->lineWrapMode() == QPlainTextEdit::NoWrap
                            : qobject_cast<QLineEdit*>(widget) != nullptr);
        }
      }
      QWidget* focus = ui::FirstTabStop(&window);
      for (int id : tabStops) {
        EXPECT_EQ(focus->objectName().toInt(), id);
        do {
          focus = focus->nextInFocusChain();
        } while (focus->focusPolicy() == Qt::NoFocus || focus == &window);
      }
      EXPECT_EQ(focus, ui::FirstTabStop(&window)) << "and round again";
    }
  }
}

// Titles and the status as the stamp holds them, never markup; the title also
// captions every later message. Enter presses the focused button: there is no
// default button that would end the dialog.
TEST_F(MainWindowTest, StartShowsTitleAndBeforeStatusAsPlainText) {
  for (const std::string title : {"My <b>Book</b> [*]", ""}) {
    info.m_strTitle = title;
    Run([&] {
      const auto* status = GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS);
      EXPECT_EQ(mainWindow->windowHandle()->title().toStdString(), title);
      EXPECT_EQ(status->text().toStdString(), info.m_strStatusBefore);
      EXPECT_EQ(status->textFormat(), Qt::PlainText);
      EXPECT_EQ(QApplication::focusWidget(),
                GetDlgItem<QPushButton>(mainWindow, res::IDC_CUSTOMIZE));
      EXPECT_TRUE(recorder.messages.empty());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      EXPECT_TRUE(mainWindow->isVisible());
    });
    ASSERT_EQ(recorder.messages.size(), 1u) << "Customize found no E-Book";
    EXPECT_EQ(recorder.messages[0].caption, title);
  }
}

TEST_F(MainWindowTest, LoadErrorShowsOneMessageCaptionedWithExecutableNameAndEnds) {
  bool loopEntered = false;
  auto pending = WhenModal([&] {
    loopEntered = true;
    QApplication::activeModalWidget()->close();
  });
  ui::CRebrandDlg dlg;
  EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
  *pending = false;
  EXPECT_FALSE(loopEntered);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].caption, "rebrander");
  EXPECT_EQ(recorder.messages[0].text, formats::kErrorReadingRebrander);
  EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Exclamation);
}

TEST_F(MainWindowTest, ExitEscapeCloseBoxAndAltXEndTheDialog) {
  Stamp();
  const std::function<void(QWidget*)> enders[] = {
      [](QWidget* w) {
        QTest::mouseClick(GetDlgItem<QPushButton>(w, ui::IDCANCEL), Qt::LeftButton);
      },
      [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
      [](QWidget* w) { w->close(); },
      [](QWidget* w) {
        w->activateWindow();  // mnemonics work in the active window only
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_X, Qt::AltModifier);
      },
  };
  for (const auto& end : enders) {
    SCOPED_TRACE(&end - enders);
    ui::CRebrandDlg dlg;
    WhenModal([&] { end(Widget(dlg)); });
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr) << "the window goes when the dialog ends";
  }
  EXPECT_TRUE(recorder.messages.empty());
}

// Minimised, the window alone (no controls) shows its background with the
// icon centred on it, at the system's icon size.
TEST_F(MainWindowTest, MinimisedWindowShowsItsIconCentred) {
  Run([&] {
    QWidget* window = mainWindow;
    window->setWindowState(Qt::WindowMinimized);
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    window->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    const int size = window->style()->pixelMetric(QStyle::PM_LargeIconSize);
    QRect centred(0, 0, size, size), drawn;
    centred.moveCenter(window->rect().center());
    const QRgb background = window->palette().color(QPalette::Window).rgba();
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != background) drawn |= QRect(x, y, 1, 1);
      }
    }
    EXPECT_GT(drawn.width(), size / 2);
    EXPECT_TRUE(centred.contains(drawn)) << "outside the icon, the background is erased";
  });
}

TEST(QtUserInterfaceTest, MessageBoxShowsPlainTextWithCaptionIconAndOkOnlyAndWaitCursor) {
  ui::CQtUserInterface userInterface;
  for (auto icon : {platform::MessageIcon::Exclamation, platform::MessageIcon::Information}) {
    std::string shown;
    WhenModal([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      shown = (box->windowTitle() + "|" + box->text() + "|").toStdString() +
              std::to_string(box->icon()) + std::to_string(box->textFormat()) +
              std::to_string(box->buttons().size());
      QTest::keyClick(box, Qt::Key_Return);
    });
    userInterface.ShowMessage("Cap", "<i>not italic</i>\nline", icon);
    const auto expected = icon == platform::MessageIcon::Information ? QMessageBox::Information
                                                                     : QMessageBox::Warning;
    EXPECT_EQ(shown, "Cap|<i>not italic</i>\nline|" + std::to_string(expected) +
                         std::to_string(Qt::PlainText) + "1");
  }
  userInterface.SetWaitCursor(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  userInterface.SetWaitCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
