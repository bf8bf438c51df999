#include "tests/ui/ui_fixture.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "platform/user_interface.h"
#include "tools/mkrebrander/stamp.h"
#include "ui/framework/dialog.h"
#include "ui/framework/win_app.h"

namespace testing_support {

formats::CInfoBlock SampleInfo() {
  formats::CInfoBlock info;
  info.m_strEBookFile = "book";
  info.m_strEBookId = "Book-ID";
  info.m_strTitle = "My <b>Book</b>";
  info.m_strStatusBefore = "Press Customize & make it yours.\nSecond line";
  info.m_strStatusAfter = "Customized.";
  return info;
}

QWidget* Widget(const ui::CWnd& window) {
  return static_cast<QWidget*>(window.GetSafeHwnd());
}

StampedRebranderTest::StampedRebranderTest() {
  WriteFileBytes(rebranderPath, "program bytes");
  platform::OverrideModuleFileName(rebranderPath);
  formats::ResetRebrandInfoForTesting();
  platform::ResetApplicationNameForTesting();
}

StampedRebranderTest::~StampedRebranderTest() {
  platform::OverrideModuleFileName(std::nullopt);
  formats::ResetRebrandInfoForTesting();
  platform::ResetApplicationNameForTesting();
}

void StampedRebranderTest::Stamp(const formats::CInfoBlock& info, int32_t version) {
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(rebranderPath, rebranderPath, info, version, error))
      << error;
}

void StampedRebranderTest::RunRebrander(const std::function<void(QWidget*)>& body) {
  ui::CWinApp* app = ui::AfxGetApp();
  bool ran = false;
  auto pending = WhenModal([&] {
    ran = true;
    auto* main = static_cast<ui::CDialog*>(app->m_pMainWnd);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Widget(*main)));
    body(Widget(*main));
    main->EndDialog(ui::IDCANCEL);
  });
  EXPECT_FALSE(app->InitInstance());
  *pending = false;
  EXPECT_TRUE(ran) << "the main window never came up";
}

namespace {
void RunWhenModal(std::function<void()> action, std::shared_ptr<bool> pending,
                  QPointer<QWidget> before) {
  QTimer::singleShot(0, qApp, [action = std::move(action), pending, before] {
    if (!*pending) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == before) {
      RunWhenModal(action, pending, before);
      return;
    }
    *pending = false;
    action();
  });
}
}  // namespace

std::shared_ptr<bool> WhenModal(std::function<void()> action) {
  auto pending = std::make_shared<bool>(true);
  RunWhenModal(std::move(action), pending, QApplication::activeModalWidget());
  return pending;
}

}  // namespace testing_support
