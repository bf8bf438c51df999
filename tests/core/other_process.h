// A real second process for tests of file sharing, program start and crashes:
// the test child program (test_child.cpp) doing one thing, killed at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/module_path.h"

namespace testing_support {

// The program, then its arguments.
using ChildCommand = std::vector<std::string>;

// The test child program beside the running test, found before any test
// stands the process at another path.
inline const platform::Path kTestProgram = platform::ModuleFileName();
inline std::string ChildProgramPath() {
  return platform::TextFromPath(kTestProgram.substr(0, platform::LastSeparator(kTestProgram) + 1)) +
         TEST_CHILD_NAME;
}
// The child holds the file open plainly, as a program that knows nothing of
// our open modes would; or in one of the two modes of platform::_lopen.
// Paths go as texts in the code page of the command line.
inline ChildCommand OpensPlainly(const platform::Path& path) {
  return {ChildProgramPath(), "plain", platform::TextFromPath(path)};
}
inline ChildCommand LOpens(const platform::Path& path, int mode) {
  return {ChildProgramPath(), "lopen", std::to_string(mode), platform::TextFromPath(path)};
}
// Runs the program at `path`, which must be a copy of the test child.
inline ChildCommand Runs(const platform::Path& path) {
  return {platform::TextFromPath(path), "run"};
}

// How many descriptors (handles on Windows) this process has open.
size_t OpenHandleCount();

class OtherProcess {
 public:
  // Starts the command and waits until the child says it holds what it took,
  // or ends.
  explicit OtherProcess(const ChildCommand& command);
  ~OtherProcess() { Kill(); }
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;

  bool Ready() const { return m_bReady; }
  // Kills the child and waits for it; true when the kill ended it.
  bool Kill();

 private:
  intptr_t m_process = -1;  // pid or process handle
  intptr_t m_output = -1;   // read end of the child's standard output
  bool m_bReady = false;
};

}  // namespace testing_support
