// A rebrander stamped into a scratch folder and standing in for the running
// program, with every message recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tools/mkrebrander/stamp.h"
#include "ui/framework/dialog.h"
#include "ui/framework/win_app.h"

namespace testing_support {

inline QWidget* Widget(const ui::CWnd& window) {
  return static_cast<QWidget*>(window.GetSafeHwnd());
}

// Runs `action` from the event loop once a modal window other than the one
// active now is up. Setting the returned flag to false withdraws it.
inline std::shared_ptr<bool> WhenModal(
    std::function<void()> action, QPointer<QWidget> before = QApplication::activeModalWidget(),
    std::shared_ptr<bool> pending = std::make_shared<bool>(true)) {
  QTimer::singleShot(0, qApp, [=] {
    if (!*pending) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == before) {
      WhenModal(action, before, pending);
    } else {
      *pending = false;
      action();
    }
  });
  return pending;
}

class StampedRebranderTest : public ::testing::Test {
 protected:
  StampedRebranderTest() {
    WriteFileBytes(rebranderPath, "program bytes");
    platform::OverrideModuleFileName(rebranderPath);
    Reset();
  }
  ~StampedRebranderTest() override {
    platform::OverrideModuleFileName(std::nullopt);
    Reset();
  }
  static void Reset() {
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
    ui::CWinApp* app = ui::AfxGetApp();
    bool ran = false;
    auto pending = WhenModal([&] {
      ran = true;
      auto* main = static_cast<ui::CDialog*>(app->m_pMainWnd);
      mainWindow = Widget(*main);
      EXPECT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
      body();
      main->EndDialog(ui::IDCANCEL);
    });
    EXPECT_FALSE(app->InitInstance());
    *pending = false;
    EXPECT_TRUE(ran) << "the main window never came up";
  }

  TempDir dir;
  std::string rebranderPath = dir.File("rebrander.bin");
  RecordingUserInterface recorder;
  formats::CInfoBlock info = [] {
    formats::CInfoBlock sample;
    sample.m_strEBookFile = "book.exe";
    sample.m_strEBookId = "Book-ID";
    sample.m_strTitle = "My <b>Book</b> [*]";
    sample.m_strStatusBefore = "Press Customize & make it yours.\nSecond line";
    sample.m_strStatusAfter = "Customized.";
    return sample;
  }();
  QWidget* mainWindow = nullptr;
};

}  // namespace testing_support
