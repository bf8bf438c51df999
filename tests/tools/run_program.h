// Runs a built program to its end as a child process and captures its output.
#pragma once

#include <string>
#include <vector>

namespace tools_test {

struct ProgramRun {
  int exitCode = -1;  // 128 + signal number when it was killed
  std::string out;
  std::string err;
};

// `args[0]` is the program's path; `environment` entries ("NAME=value") are
// added to this process's environment and win over it.
ProgramRun RunProgram(const std::vector<std::string>& args,
                      const std::vector<std::string>& environment = {});

// Lines of a text, without their line breaks.
std::vector<std::string> Lines(const std::string& text);

}  // namespace tools_test
