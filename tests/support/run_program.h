// Runs a built program to its end as a separate process, through the system's
// shell, and captures what it printed.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ProgramRun {
  int exitCode;
  std::string out, err;
};

// `args[0]` is the program's path; each argument is quoted whatever it holds.
// The program starts in `folder` when one is given. On Windows the captured
// text has its CR LF line ends made LF.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& folder = {});

}  // namespace testing_support
