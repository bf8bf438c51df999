// Without the application: the windows built from the templates, and the Qt
// message box and wait cursor.
#include <QMessageBox>

#include "tests/ui/expected_windows.h"
#include "tests/ui/rebrander_fixture.h"
#include "ui/qt/qt_user_interface.h"

namespace {

using namespace ui_testing;
using namespace expected_windows;

// A window built from its template on a font of the given size.
class DialogLayoutTest
    : public ::testing::TestWithParam<std::tuple<const res::DialogTemplate*, int>> {
 protected:
  DialogLayoutTest() {
    window.setFont(QFont(window.font().family(), std::get<1>(GetParam())));
    ui::BuildDialog(&window, res::GetDialogTemplate(expected.id));
  }
  // Dialog base units as the platform defines them: the font's average letter
  // width, rounded, and its height.
  QRect Pixels(int x, int y, int width, int height) const {
    const QFontMetrics metrics(window.font());
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const auto h = [&](int units) { return qRound(units * ((letters / 26 + 1) / 2) / 4.0); };
    const auto v = [&](int units) { return qRound(units * metrics.height() / 8.0); };
    return {h(x), v(y), h(width), v(height)};
  }

  const res::DialogTemplate& expected = *std::get<0>(GetParam());
  QWidget window;
};

TEST_P(DialogLayoutTest, WindowHasTheTemplatesCaptionAndSize) {
  EXPECT_EQ(expected.caption, window.windowTitle().toStdString());
  EXPECT_EQ(Pixels(0, 0, expected.width, expected.height).size(), window.size());
}

// Of its kind, with its text, where its dialog units put it; an edit field
// wraps no lines.
TEST_P(DialogLayoutTest, EachControlIsBuiltAsItsTemplateSays) {
  for (const res::ControlTemplate& c : expected.controls) {
    SCOPED_TRACE(c.id);
    QWidget* widget = GetDlgItem<QWidget>(&window, c.id);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(Pixels(c.x, c.y, c.width, c.height), widget->geometry());
    const auto* label = qobject_cast<QLabel*>(widget);
    const auto* button = qobject_cast<QPushButton*>(widget);
    const auto* lines = qobject_cast<QPlainTextEdit*>(widget);
    EXPECT_EQ(c.kind, label ? Kind::Static : button ? Kind::PushButton : Kind::Edit);
    EXPECT_EQ(c.text, (label ? label->text() : button ? button->text() : "").toStdString());
    EXPECT_EQ((c.style & kEsMultiLine) != 0, lines != nullptr);
    EXPECT_EQ(QPlainTextEdit::NoWrap, lines ? lines->lineWrapMode() : QPlainTextEdit::NoWrap);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Templates, DialogLayoutTest, ::testing::Combine(
    ::testing::Values(&kMain, &kMultiLinePage, &kSingleLinePage), ::testing::Values(8, 16)),
    [](const auto& info) { return std::to_string(std::get<0>(info.param)->id) + "_at_" + std::to_string(std::get<1>(info.param)) + "pt"; });
// clang-format on

class QtMessageBoxTest
    : public ::testing::TestWithParam<std::pair<platform::MessageIcon, QMessageBox::Icon>> {};

TEST_P(QtMessageBoxTest, ShowsCaptionAndPlainTextWithTheIconAskedForAndOkOnly) {
  ui::CQtUserInterface userInterface;
  const auto pending = WhenModal([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    EXPECT_EQ("Cap", box->windowTitle().toStdString());
    EXPECT_EQ("<i>not italic</i>\nline", box->text().toStdString());
    EXPECT_EQ(Qt::PlainText, box->textFormat());
    EXPECT_EQ(GetParam().second, box->icon());
    EXPECT_EQ(1, box->buttons().size());
    QTest::keyClick(box, Qt::Key_Return);
  });
  userInterface.ShowMessage("Cap", "<i>not italic</i>\nline", GetParam().first);
  EXPECT_FALSE(*pending) << "no message box came up";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Icons, QtMessageBoxTest, ::testing::Values(
    std::pair{platform::MessageIcon::Exclamation, QMessageBox::Warning}, std::pair{platform::MessageIcon::Information, QMessageBox::Information}),
    [](const auto& info) { return info.index ? "Information" : "Exclamation"; });
// clang-format on

TEST(QtWaitCursorTest, ShowsWhileOnAndGoesWhenOff) {
  ui::CQtUserInterface userInterface;
  userInterface.SetWaitCursor(true);
  ASSERT_NE(nullptr, QApplication::overrideCursor());
  EXPECT_EQ(Qt::WaitCursor, QApplication::overrideCursor()->shape());
  userInterface.SetWaitCursor(false);
  EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

}  // namespace
