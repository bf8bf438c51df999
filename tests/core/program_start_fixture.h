// What makes a program fail to start for a reason that has no message of its
// own (posix/ and win32/).
#pragma once

#include <memory>
#include <string>

namespace program_start_testing {

// Makes `path` a program that cannot be started until the result goes.
std::shared_ptr<void> RefuseToStart(const std::string& path);

}  // namespace program_start_testing
