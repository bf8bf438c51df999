#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "formats/rebrand_info.h"
#include "platform/user_interface.h"
#include "res/dialog_template.h"
#include "tests/ui/ui_fixture.h"
#include "ui/dialog_builder.h"
#include "ui/qt_user_interface.h"
#include "ui/rebrand_dlg.h"

namespace {

using namespace testing_support;
using ui::CRebrandDlg;
using ui::GetDlgItem;

using MainWindowTest = StampedRebranderTest;

QString StatusText(const CRebrandDlg& dlg) {
  return GetDlgItem<QLabel>(&dlg, res::IDC_STATUS)->text();
}

TEST_F(MainWindowTest, StartShowsTitleAndBeforeStatusAsPlainText) {
  Stamp(SampleInfo());
  CRebrandDlg dlg;
  dlg.OnInitDialog();
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));

  EXPECT_EQ(dlg.windowHandle()->title(), "My <b>Book</b>");
  EXPECT_EQ(StatusText(dlg), "Press Customize & make it yours.\nSecond line");
  EXPECT_EQ(GetDlgItem<QLabel>(&dlg, res::IDC_STATUS)->textFormat(), Qt::PlainText);
  EXPECT_EQ(platform::GetApplicationName(), "My <b>Book</b>") << "later captions use the title";
  EXPECT_EQ(QApplication::focusWidget(), GetDlgItem<QPushButton>(&dlg, res::IDC_CUSTOMIZE));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MainWindowTest, TitlesShowExactlyWhatTheStampHolds) {
  formats::CInfoBlock info = SampleInfo();
  info.m_strTitle = "Draft [*] \xff\xfe end";
  Stamp(info);
  CRebrandDlg dlg;
  dlg.OnInitDialog();
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  const QString title = dlg.windowHandle()->title();
  EXPECT_TRUE(title.startsWith("Draft [*] ")) << title.toStdString();
  EXPECT_TRUE(title.endsWith(" end")) << title.toStdString();

  info.m_strTitle.clear();
  Stamp(info);
  formats::ResetRebrandInfoForTesting();
  CRebrandDlg untitled;
  untitled.OnInitDialog();
  EXPECT_EQ(untitled.windowTitle(), "");
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
  EXPECT_EQ(dlg.DoModal(), res::IDCANCEL);
  EXPECT_FALSE(loopEntered) << "the modal loop must not run after a load error";
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].caption, "rebrander");
  EXPECT_EQ(recorder.messages[0].text, formats::kErrorReadingRebrander);
  EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Exclamation);
}

TEST_F(MainWindowTest, ExitEscapeCloseBoxAndAltXEndTheDialog) {
  Stamp(SampleInfo());
  const std::function<void(CRebrandDlg&)> enders[] = {
      [](CRebrandDlg& dlg) {
        QTest::mouseClick(GetDlgItem<QPushButton>(&dlg, res::IDCANCEL), Qt::LeftButton);
      },
      [](CRebrandDlg& dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); },
      [](CRebrandDlg& dlg) { dlg.close(); },
      [](CRebrandDlg& dlg) {
        // Mnemonics work in the active window only.
        dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
        QTest::keyClick(&dlg, Qt::Key_X, Qt::AltModifier);
      },
  };
  for (const auto& end : enders) {
    SCOPED_TRACE(&end - enders);
    CRebrandDlg dlg;
    WhenModal([&] { end(dlg); });
    EXPECT_EQ(dlg.DoModal(), res::IDCANCEL);
    EXPECT_FALSE(dlg.isVisible());
  }
  EXPECT_TRUE(recorder.messages.empty());
}

// Enter presses the focused button, as in any dialog; there is no OK to end it.
TEST_F(MainWindowTest, EnterDoesNotEndTheDialog) {
  Stamp(SampleInfo());
  CRebrandDlg dlg;
  dlg.OnInitDialog();
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  GetDlgItem<QPushButton>(&dlg, res::IDC_CUSTOMIZE)->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(dlg.isVisible());
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
