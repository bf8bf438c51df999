#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "res/dialog_template.h"
#include "ui/qt/dialog_builder.h"
#include "ui/qt/dialog_units.h"

namespace {

using ui::GetDlgItem;

TEST(DialogUnitsTest, FourHorizontalAndEightVerticalUnitsAreOneBaseUnit) {
  QFont font;
  font.setPointSize(10);
  const QSize base = ui::DialogBaseUnits(font);
  EXPECT_GT(base.width(), 0);
  EXPECT_EQ(ui::MapDialogRect(font, 4, 8, 40, 80),
            QRect(base.width(), base.height(), 10 * base.width(), 10 * base.height()));
}

TEST(DialogLayoutTest, MainTemplateControlsHaveTheirIdsTextsAndTabOrder) {
  QWidget dlg;
  const res::DialogTemplate& t = res::GetDialogTemplate(res::IDD_REBRAND_DIALOG);
  ui::BuildDialog(&dlg, t);
  for (const res::ControlTemplate& c : t.controls) {
    QWidget* widget = GetDlgItem<QWidget>(&dlg, c.id);
    ASSERT_NE(widget, nullptr) << c.id;
    EXPECT_EQ(widget->geometry(), ui::MapDialogRect(dlg.font(), c.x, c.y, c.width, c.height));
  }
  EXPECT_EQ(GetDlgItem<QLabel>(&dlg, 1001)->text(), "Reading Rebranding Information...");
  EXPECT_TRUE(GetDlgItem<QLabel>(&dlg, 1001)->wordWrap());
  EXPECT_EQ(GetDlgItem<QPushButton>(&dlg, 1002)->text(), "&Customize");
  EXPECT_EQ(GetDlgItem<QPushButton>(&dlg, 2)->text(), "E&xit");
  EXPECT_EQ(GetDlgItem<QPushButton>(&dlg, 1004)->text(), "&View E-Book");
  EXPECT_EQ(dlg.windowTitle(), "Customize");

  // Tab order follows the template: Customize, Exit, View, and round again.
  QWidget* focus = ui::FirstTabStop(&dlg);
  ASSERT_EQ(focus, GetDlgItem<QWidget>(&dlg, 1002));
  for (int expected : {2, 1004, 1002}) {
    do {
      focus = focus->nextInFocusChain();
    } while (focus->focusPolicy() == Qt::NoFocus || focus == &dlg);
    EXPECT_EQ(focus->objectName(), QString::number(expected));
  }
}

TEST(DialogLayoutTest, WindowKeepsItsProportionsOnAnyFont) {
  QFont small;
  small.setPointSize(8);
  QFont large;
  large.setPointSize(16);
  for (const QFont& font : {small, large}) {
    QWidget window;
    window.setFont(font);
    ui::BuildDialog(&window, res::GetDialogTemplate(res::IDD_REBRAND_DIALOG));
    const QSize base = ui::DialogBaseUnits(font);
    EXPECT_NEAR(window.width(), 320.0 * base.width() / 4, 1);
    EXPECT_NEAR(window.height(), 200.0 * base.height() / 8, 1);
    // The Exit button stays in the bottom-right corner.
    const QRect exit = GetDlgItem<QWidget>(&window, 2)->geometry();
    EXPECT_NEAR(window.width() - exit.right(), 7.0 * base.width() / 4, 2);
    EXPECT_NEAR(window.height() - exit.bottom(), 7.0 * base.height() / 8, 2);
  }
}

}  // namespace
