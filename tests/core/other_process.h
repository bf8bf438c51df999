// A real second process for tests of file sharing, program start and crashes:
// the test child program (test_child.cpp) doing one thing, or any program.
// It is killed when the object ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct ChildCommand {
  std::string program;
  std::vector<std::string> arguments;
};

// The test child program beside the running test.
std::string ChildProgramPath();

// The child holds the file open plainly, as a program that knows nothing of
// our open modes would.
ChildCommand OpensPlainly(const std::string& path);
// ... in one of the two modes of platform::_lopen.
ChildCommand LOpens(const std::string& path, int mode);
// Runs the program at `path`, which must be a copy of the test child.
ChildCommand Runs(const std::string& path);

// How many descriptors (handles on Windows) this process has open.
size_t OpenHandleCount();

class OtherProcess {
 public:
  // Starts the command and, when `waitUntilReady`, waits until the child says
  // it holds what it took, or ends.
  explicit OtherProcess(const ChildCommand& command, bool waitUntilReady = true);
  ~OtherProcess() { Stop(); }
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;

  bool Ready() const { return m_bReady; }
  // Waits until the child ends by itself; its exit code, or -1 if it was never
  // started or was killed.
  int Wait();
  // Kills the child and waits until it has gone; true when the kill ended it
  // (it had not ended by itself before).
  bool Kill();
  void Stop() { Kill(); }

 private:
  void Start(const ChildCommand& command);
  // Reads the child's one-byte ready signal; false at the end of its output.
  bool ReadReady();

  intptr_t m_process = -1;  // pid or process handle
  intptr_t m_output = -1;   // read end of the child's standard output
  bool m_bReady = false;
  bool m_bEnded = false;
  int m_nExitCode = -1;
};

}  // namespace testing_support
