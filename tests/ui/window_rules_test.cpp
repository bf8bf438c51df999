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

// The customize-once rule: a rebranded E-Book is customized again only when
// the stamp allows repeats.
struct OnceRule {
  const char* name;
  bool rebranded, allowRepeat, may;
  friend void PrintTo(const OnceRule& c, std::ostream* out) { *out << c.name; }
};
class CustomizeOnceRuleTest : public ::testing::TestWithParam<OnceRule> {};

TEST_P(CustomizeOnceRuleTest, MayCustomize) {
  EXPECT_EQ(GetParam().may, ebook::MayCustomize(GetParam().rebranded, GetParam().allowRepeat));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, CustomizeOnceRuleTest, ::testing::Values(
    OnceRule{"FreshOnceOnly", false, false, true}, OnceRule{"FreshRepeatAllowed", false, true, true},
    OnceRule{"RebrandedOnceOnly", true, false, false}, OnceRule{"RebrandedRepeatAllowed", true, true, true}), kByName);
// clang-format on

// The page-kind rule: editable variables of types 0 and 1 get a single-line
// page, of types 2 and 3 a multi-line one; any other gets none.
using ui::PageKind;
struct PageRule {
  const char* name;
  int editable, type;
  PageKind kind;
  friend void PrintTo(const PageRule& c, std::ostream* out) { *out << c.name; }
};
class PageKindTest : public ::testing::TestWithParam<PageRule> {};

TEST_P(PageKindTest, EachVariableGetsThePageOfItsType) {
  EXPECT_EQ(int(GetParam().kind),
            int(ui::PageKindFor(Var("P", "v", GetParam().type, GetParam().editable))))
      << "0 none, 1 single-line, 2 multi-line";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, PageKindTest, ::testing::Values(
    PageRule{"Type0", 1, 0, PageKind::SingleLine}, PageRule{"Type1", 1, 1, PageKind::SingleLine},
    PageRule{"Type2", 1, 2, PageKind::MultiLine}, PageRule{"Type3", 1, 3, PageKind::MultiLine},
    PageRule{"Type4", 1, 4, PageKind::None}, PageRule{"TypeMinus1", 1, -1, PageKind::None},
    PageRule{"FixedType0", 0, 0, PageKind::None}, PageRule{"FixedType2", 0, 2, PageKind::None}), kByName);
// clang-format on

}  // namespace
