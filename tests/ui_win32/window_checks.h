// Checks that report and count their failures, and what they look at in
// real windows.
#pragma once

#include <sstream>
#include <string>

#include "res/dialog_template.h"
#include "ui/win32/win32_api.h"

namespace ui_test {

void Check(bool ok, const std::string& what);

template <typename Actual, typename Expected>
void CheckEqual(const Actual& actual, const Expected& expected, const std::string& what) {
  const bool ok = actual == expected;
  std::ostringstream message;
  message << what;
  if (!ok) message << ": got \"" << actual << "\", expected \"" << expected << '"';
  Check(ok, message.str());
}

int PassedChecks();
int FailedChecks();

std::string TextOf(HWND window);
bool Shown(HWND window);
bool Usable(HWND window);

// The dialog's caption, size, font and styles, and each control's id, class,
// text, styles, rectangle and place in the tab order, against the template.
// A page has no caption or size of its own: the sheet sets them.
void CheckBuiltFromTemplate(HWND dialog, const res::DialogTemplate& description);

// A message box with the caption and text; null while there is none.
HWND FindMessageBox(const std::string& caption, const std::string& text);
HICON MessageBoxIcon(HWND box);

}  // namespace ui_test
