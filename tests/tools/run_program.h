// Runs a built program (`args[0]` is its path) to its end and captures its output.
#pragma once

#include <string>
#include <vector>

namespace tools_test {

struct ProgramRun {
  int exitCode = -1;  // 128 + signal number when it was killed
  std::string out;
  std::string err;
};

ProgramRun RunProgram(const std::vector<std::string>& args);

}  // namespace tools_test
