#include "tests/core/other_process.h"

#include "platform/module_path.h"

namespace testing_support {
namespace {
// Taken before any test stands the process at another path.
const std::string kTestProgram = platform::GetModuleFileNameA();
}  // namespace

std::string ChildProgramPath() {
  return kTestProgram.substr(0, kTestProgram.find_last_of(platform::kPathSeparator) + 1) +
         TEST_CHILD_NAME;
}

}  // namespace testing_support
