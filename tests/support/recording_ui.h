// A user interface that records every message and wait-cursor change instead
// of showing them; installed for its lifetime.
#pragma once

#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace testing_support {

struct ShownMessage {
  std::string caption;
  std::string text;
  platform::MessageIcon icon;
  bool underWaitCursor;
};

class RecordingUserInterface : public platform::IUserInterface {
 public:
  RecordingUserInterface() { platform::SetUserInterface(this); }
  ~RecordingUserInterface() override { platform::SetUserInterface(nullptr); }

  void ShowMessage(const std::string& caption, const std::string& text,
                   platform::MessageIcon icon) override {
    messages.push_back({caption, text, icon, !waitCursor.empty() && waitCursor.back()});
  }
  void SetWaitCursor(bool on) override { waitCursor.push_back(on); }

  std::vector<ShownMessage> messages;
  std::vector<bool> waitCursor;  // every change, in order
};

}  // namespace testing_support
