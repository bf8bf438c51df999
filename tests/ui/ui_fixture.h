// A rebrander stamped into a scratch folder and standing in for the running
// program, with every message recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "formats/info_records.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "ui/framework/wnd.h"

class QWidget;

namespace testing_support {

formats::CInfoBlock SampleInfo();

// The widget behind a framework window.
QWidget* Widget(const ui::CWnd& window);

class StampedRebranderTest : public ::testing::Test {
 protected:
  StampedRebranderTest();
  ~StampedRebranderTest() override;

  // Stamps the stand-in rebrander with `info` and makes it the running program.
  void Stamp(const formats::CInfoBlock& info, int32_t version = 1);

  // Runs the program's application object; `body` runs inside the main
  // window's modal loop, given that window, and the window is closed after it.
  void RunRebrander(const std::function<void(QWidget* mainWindow)>& body);

  TempDir dir;
  std::string rebranderPath = dir.File("rebrander.bin");
  RecordingUserInterface recorder;
};

// Runs `action` from the event loop once a modal window other than the one
// active now is up. The returned flag, set to false, withdraws the action if
// it has not run yet.
std::shared_ptr<bool> WhenModal(std::function<void()> action);

}  // namespace testing_support
