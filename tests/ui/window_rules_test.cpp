// Without the application: the windows built from the templates, the Qt
// message box and wait cursor, and the two rules that decide what a Customize
// offers (the customize-once rule and the page a variable gets).
#include <QMessageBox>

#include "ebook/customize_rule.h"
#include "tests/ui/expected_windows.h"
#include "tests/ui/rebrander_fixture.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/wizard_pages.h"

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
    return QRect(h(x), v(y), h(width), v(height));
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

TEST_P(DialogLayoutTest, TabVisitsTheTabStopsInTemplateOrderAndComesRound) {
  QWidget* focus = ui::FirstTabStop(&window);
  for (const res::ControlTemplate& c : expected.controls) {
    if (!(c.style & kTabStop)) continue;
    EXPECT_EQ(c.id, focus->objectName().toInt());
    while ((focus = focus->nextInFocusChain())->focusPolicy() == Qt::NoFocus || focus == &window)
      continue;
  }
  EXPECT_EQ(ui::FirstTabStop(&window), focus);
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogLayoutTest,
                         ::testing::Combine(::testing::Values(&kMain, &kMultiLinePage,
                                                              &kSingleLinePage),
                                            ::testing::Values(8, 16)),
                         [](const auto& info) {
                           return std::to_string(std::get<0>(info.param)->id) + "_at_" +
                                  std::to_string(std::get<1>(info.param)) + "pt";
                         });

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

INSTANTIATE_TEST_SUITE_P(
    Icons, QtMessageBoxTest,
    ::testing::Values(std::pair{platform::MessageIcon::Exclamation, QMessageBox::Warning},
                      std::pair{platform::MessageIcon::Information, QMessageBox::Information}),
    [](const auto& info) { return info.index ? "Information" : "Exclamation"; });

TEST(QtWaitCursorTest, ShowsWhileOnAndGoesWhenOff) {
  ui::CQtUserInterface userInterface;
  userInterface.SetWaitCursor(true);
  ASSERT_NE(nullptr, QApplication::overrideCursor());
  EXPECT_EQ(Qt::WaitCursor, QApplication::overrideCursor()->shape());
  userInterface.SetWaitCursor(false);
  EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

// rebranded, repeat allowed -> may customize
class CustomizeOnceRuleTest : public ::testing::TestWithParam<std::tuple<bool, bool, bool>> {};

TEST_P(CustomizeOnceRuleTest, ARebrandedEBookIsCustomizedAgainOnlyWhenRepeatsAreAllowed) {
  const auto [rebranded, allowRepeat, may] = GetParam();
  EXPECT_EQ(may, ebook::MayCustomize(rebranded, allowRepeat));
}

INSTANTIATE_TEST_SUITE_P(Cases, CustomizeOnceRuleTest,
                         ::testing::Values(std::tuple{false, false, true},
                                           std::tuple{false, true, true},
                                           std::tuple{true, false, false},
                                           std::tuple{true, true, true}),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Rebranded" : "Fresh") +
                                  (std::get<1>(info.param) ? "RepeatAllowed" : "OnceOnly");
                         });

}  // namespace

namespace ui {
void PrintTo(PageKind kind, std::ostream* out) {
  *out << (kind == PageKind::None ? "none" : kind == PageKind::SingleLine ? "single" : "multi");
}
}  // namespace ui

namespace {

// editable, type -> page
class PageKindTest : public ::testing::TestWithParam<std::tuple<int, int, ui::PageKind>> {};

TEST_P(PageKindTest, EachVariableGetsThePageOfItsType) {
  const auto [editable, type, kind] = GetParam();
  EXPECT_EQ(kind, ui::PageKindFor(Var("Prompt", "value", type, editable)));
}

using ui::PageKind;
INSTANTIATE_TEST_SUITE_P(
    Cases, PageKindTest,
    ::testing::Values(std::tuple{1, 0, PageKind::SingleLine},
                      std::tuple{1, 1, PageKind::SingleLine}, std::tuple{1, 2, PageKind::MultiLine},
                      std::tuple{1, 3, PageKind::MultiLine}, std::tuple{1, 4, PageKind::None},
                      std::tuple{1, -1, PageKind::None}, std::tuple{0, 0, PageKind::None},
                      std::tuple{0, 2, PageKind::None}),
    [](const auto& info) {
      const int type = std::get<1>(info.param);
      return std::string(std::get<0>(info.param) ? "Editable" : "Fixed") + "Type" +
             (type < 0 ? "Minus" + std::to_string(-type) : std::to_string(type));
    });

}  // namespace
