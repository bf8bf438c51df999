#include "ebook/launch_ebook.h"

#include "ebook/ebook_messages.h"
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
      AfxMessageBox(kCantStart + text + kStartOutOfResourcesEnd);
      break;
    case kStartFileNotFound:
      AfxMessageBox(kCantStart + text + kStartFileNotFoundEnd);
      break;
    case kStartPathNotFound:
      AfxMessageBox(kCantStart + text + kStartPathNotFoundEnd);
      break;
    case kStartBadFormat:
      AfxMessageBox(kCantStart + text + kStartBadFormatEnd);
      break;
    default:
      AfxMessageBox(kUnableToStart + text);
      break;
  }
  return false;
}

}  // namespace ebook
