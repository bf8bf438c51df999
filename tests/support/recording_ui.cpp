#include "tests/support/recording_ui.h"

namespace testing_support {

RecordingUserInterface::RecordingUserInterface() {
  platform::SetUserInterface(this);
}

RecordingUserInterface::~RecordingUserInterface() {
  platform::SetUserInterface(nullptr);
}

void RecordingUserInterface::ShowMessage(const std::string& caption, const std::string& text,
                                         platform::MessageIcon icon) {
  messages.push_back({caption, text, icon});
}

void RecordingUserInterface::SetWaitCursor(bool on) {
  waitCursor.push_back(on);
}

}  // namespace testing_support
