#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "formats/rebrand_info.h"
#include "platform/user_interface.h"
#include "res/dialog_template.h"
#include "tests/ui/ui_fixture.h"
#include "ui/qt/dialog_builder.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/rebrand_dlg.h"

namespace {

using namespace testing_support;
using ui::CRebrandDlg;
using ui::GetDlgItem;

using MainWindowTest = StampedRebranderTest;

TEST_F(MainWindowTest, StartShowsTitleAndBeforeStatusAsPlainText) {
  Stamp(SampleInfo());
  RunRebrander([&](QWidget* window) {
    const auto* status = GetDlgItem<QLabel>(window, res::IDC_STATUS);
    EXPECT_EQ(window->windowHandle()->title(), "My <b>Book</b>");
    EXPECT_EQ(status->text(), "Press Customize & make it yours.\nSecond line");
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
    EXPECT_EQ(platform::GetApplicationName(), "My <b>Book</b>") << "later captions use the title";
    EXPECT_EQ(QApplication::focusWidget(), GetDlgItem<QPushButton>(window, res::IDC_CUSTOMIZE));
    EXPECT_TRUE(recorder.messages.empty());

    // Enter presses the focused button, as in any dialog; there is no OK to end it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
  });
}

TEST_F(MainWindowTest, TitlesShowExactlyWhatTheStampHolds) {
  formats::CInfoBlock info = SampleInfo();
  info.m_strTitle = "Draft [*] \xff\xfe end";
  Stamp(info);
  RunRebrander([](QWidget* window) {
    const QString title = window->windowHandle()->title();
    EXPECT_TRUE(title.startsWith("Draft [*] ")) << title.toStdString();
    EXPECT_TRUE(title.endsWith(" end")) << title.toStdString();
  });

  info.m_strTitle.clear();
  Stamp(info);
  formats::ResetRebrandInfoForTesting();
  RunRebrander([](QWidget* window) { EXPECT_EQ(window->windowTitle(), ""); });
  EXPECT_EQ(platform::GetApplicationName(), "");
}

TEST_F(MainWindowTest, LoadErrorShowsOneMessageCaptionedWithExecutableNameAndEnds) {
  bool loopEntered = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    loopEntered = true;
    if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
  });
  guard.start(2000);
  CRebrandDlg dlg;
  EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
  EXPECT_FALSE(loopEntered) << "the modal loop must not run after a load error";
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].caption, "rebrander");
  EXPECT_EQ(recorder.messages[0].text, formats::kErrorReadingRebrander);
  EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Exclamation);
}

TEST_F(MainWindowTest, ExitEscapeCloseBoxAndAltXEndTheDialog) {
  Stamp(SampleInfo());
  const std::function<void(QWidget*)> enders[] = {
      [](QWidget* window) {
        QTest::mouseClick(GetDlgItem<QPushButton>(window, ui::IDCANCEL), Qt::LeftButton);
      },
      [](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); },
      [](QWidget* window) { window->close(); },
      [](QWidget* window) {
        // Mnemonics work in the active window only.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_X, Qt::AltModifier);
      },
  };
  for (const auto& end : enders) {
    SCOPED_TRACE(&end - enders);
    CRebrandDlg dlg;
    WhenModal([&] { end(Widget(dlg)); });
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr) << "the window goes when the dialog ends";
  }
  EXPECT_TRUE(recorder.messages.empty());
}

// Minimised, the window alone (no controls) shows its background with the
// icon centred on it.
TEST_F(MainWindowTest, MinimisedWindowShowsItsIconCentred) {
  Stamp(SampleInfo());
  RunRebrander([](QWidget* window) {
    window->setWindowState(Qt::WindowMinimized);
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    window->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());

    const int size = window->style()->pixelMetric(QStyle::PM_LargeIconSize);
    QRect centred(0, 0, size, size);
    centred.moveCenter(window->rect().center());
    const QRgb background = window->palette().color(QPalette::Window).rgba();
    QRect drawn;
    int stray = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == background) continue;
        drawn |= QRect(x, y, 1, 1);
        stray += !centred.contains(x, y);
      }
    }
    EXPECT_EQ(stray, 0) << "outside the icon, the background is erased";
    EXPECT_GT(drawn.width(), size / 2) << "the icon is drawn at the system's icon size";
    EXPECT_TRUE(centred.contains(drawn));
  });
}

// The real message box: plain text, the caption, the icon, and an OK button only.
TEST(QtUserInterfaceTest, MessageBoxShowsPlainTextWithCaptionIconAndOkOnly) {
  ui::CQtUserInterface userInterface;
  for (auto icon : {platform::MessageIcon::Exclamation, platform::MessageIcon::Information}) {
    QString caption, text;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    int buttons = 0;
    WhenModal([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      caption = box->windowTitle();
      text = box->text();
      shownIcon = box->icon();
      format = box->textFormat();
      buttons = static_cast<int>(box->buttons().size());
      QTest::keyClick(box, Qt::Key_Return);
    });
    userInterface.ShowMessage("Cap", "<i>not italic</i>\nline", icon);
    EXPECT_EQ(caption, "Cap");
    EXPECT_EQ(text, "<i>not italic</i>\nline");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(shownIcon, icon == platform::MessageIcon::Information ? QMessageBox::Information
                                                                    : QMessageBox::Warning);
  }
}

TEST(QtUserInterfaceTest, WaitCursorShowsUntilTurnedOff) {
  ui::CQtUserInterface userInterface;
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  userInterface.SetWaitCursor(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  userInterface.SetWaitCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
