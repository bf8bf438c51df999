#include "platform/user_interface.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "platform/module_path.h"

namespace platform {
namespace {
IUserInterface*& Current() {
  static IUserInterface* ui = nullptr;
  return ui;
}

std::optional<std::string>& AppName() {
  static std::optional<std::string> name;
  return name;
}

// The name without folder and extension, cut on the path's own characters
// before it becomes a text.
std::string FileTitle(const Path& path) {
  Path name = path.substr(LastSeparator(path) + 1);
  const auto dot = name.find_last_of(PathChar('.'));
  if (dot != Path::npos && dot > 0) name.erase(dot);
  return TextFromPath(name);
}
}  // namespace

void SetUserInterface(IUserInterface* ui) {
  Current() = ui;
}

std::string GetApplicationName() {
  return AppName() ? *AppName() : FileTitle(ModuleFileName());
}

void SetApplicationName(std::string name) {
  AppName() = std::move(name);
}

void ResetApplicationNameForTesting() {
  AppName().reset();
}

void AfxMessageBox(const std::string& text, MessageIcon icon) {
  if (Current()) {
    Current()->ShowMessage(GetApplicationName(), text, icon);
  } else {
    // Plain stdio: a stream here would link every locale facet into the
    // Windows program, and printf a formatting library.
    const std::string line = GetApplicationName() + ": " + text + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
}

CWaitCursor::CWaitCursor() {
  if (Current()) Current()->SetWaitCursor(true);
}

CWaitCursor::~CWaitCursor() {
  if (Current()) Current()->SetWaitCursor(false);
}

}  // namespace platform
