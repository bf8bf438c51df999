// Starts the E-Book as a program of its own.
#pragma once

#include <string>

namespace ebook {

inline constexpr int SW_SHOWNORMAL = 1;

// True when the program was started; otherwise tells the user why not.
bool LaunchEBook(const std::string& path, int showCommand);

}  // namespace ebook
