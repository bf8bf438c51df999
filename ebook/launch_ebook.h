// Starts the E-Book as a program of its own.
#pragma once

#include "platform/path.h"

namespace ebook {

inline constexpr int SW_SHOWNORMAL = 1;

// True when the program was started; otherwise tells the user why not.
bool LaunchEBook(const platform::Path& path, int showCommand);

}  // namespace ebook
