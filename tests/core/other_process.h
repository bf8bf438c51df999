// Real second processes for tests of file sharing: one that holds files open
// until released, and one that runs a program. Both end with the object.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class HoldingProcess {
 public:
  // Forks a child that runs `open` (true when it got what it wanted), reports
  // the result and keeps everything open until released.
  explicit HoldingProcess(const std::function<bool()>& open);
  ~HoldingProcess();
  HoldingProcess(const HoldingProcess&) = delete;
  HoldingProcess& operator=(const HoldingProcess&) = delete;

  // What the child's `open` returned.
  bool Opened() const { return m_bOpened; }
  // Lets the child exit and waits until it has.
  void Release();

 private:
  pid_t m_pid = -1;
  int m_releaseFd = -1;
  bool m_bOpened = false;
};

class RunningProgram {
 public:
  // Returns once `path` has replaced the child's image (or failed to).
  RunningProgram(const std::string& path, const std::vector<std::string>& args);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return m_bStarted; }
  // Kills the program and waits until it has gone.
  void Stop();

 private:
  pid_t m_pid = -1;
  bool m_bStarted = false;
};

}  // namespace testing_support
