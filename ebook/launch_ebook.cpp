#include "ebook/launch_ebook.h"

#include "platform/program_start.h"
#include "platform/user_interface.h"

namespace ebook {

bool LaunchEBook(const std::string& path, int showCommand) {
  using namespace platform;
  const uint32_t result = WinExec(path, showCommand);
  if (result > 31) return true;
  switch (result) {
    case kStartOutOfResources:
      AfxMessageBox("Can't start " + path + ", out of memory or resources.");
      break;
    case kStartFileNotFound:
      AfxMessageBox("Can't start " + path + ", as the file was not found.");
      break;
    case kStartPathNotFound:
      AfxMessageBox("Can't start " + path + ", as the path was not found.");
      break;
    case kStartBadFormat:
      AfxMessageBox("Can't start " + path + ", the program appears to be corrupted or invalid.");
      break;
    default:
      AfxMessageBox("Unable to start " + path);
      break;
  }
  return false;
}

}  // namespace ebook
