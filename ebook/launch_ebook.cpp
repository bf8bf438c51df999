#include "ebook/launch_ebook.h"

#include "platform/program_start.h"
#include "platform/user_interface.h"

namespace ebook {

bool LaunchEBook(const platform::Path& path, int showCommand) {
  using namespace platform;
  const uint32_t result = WinExec(path, showCommand);
  if (result > 31) return true;
  const std::string text = TextFromPath(path);
  switch (result) {
    case kStartOutOfResources:
      AfxMessageBox("Can't start " + text + ", out of memory or resources.");
      break;
    case kStartFileNotFound:
      AfxMessageBox("Can't start " + text + ", as the file was not found.");
      break;
    case kStartPathNotFound:
      AfxMessageBox("Can't start " + text + ", as the path was not found.");
      break;
    case kStartBadFormat:
      AfxMessageBox("Can't start " + text + ", the program appears to be corrupted or invalid.");
      break;
    default:
      AfxMessageBox("Unable to start " + text);
      break;
  }
  return false;
}

}  // namespace ebook
