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

namespace testing_support {

formats::CInfoBlock SampleInfo();

class StampedRebranderTest : public ::testing::Test {
 protected:
  StampedRebranderTest();
  ~StampedRebranderTest() override;

  // Stamps the stand-in rebrander with `info` and makes it the running program.
  void Stamp(const formats::CInfoBlock& info, int32_t version = 1);

  TempDir dir;
  std::string rebranderPath = dir.File("rebrander.bin");
  RecordingUserInterface recorder;
};

// Runs `action` from the event loop once a modal window is up. The returned
// flag, set to false, withdraws the action if it has not run yet.
std::shared_ptr<bool> WhenModal(std::function<void()> action);

}  // namespace testing_support
