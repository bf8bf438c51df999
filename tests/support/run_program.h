// Runs a built program to its end as a separate process, through the system's
// shell, and captures what it printed.
#pragma once

#include <algorithm>
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

// A path the build wrote in, as this program must name it: the build's paths
// are Linux paths, and Wine sees the root as drive Z:.
inline std::string FromBuild(std::string path) {
#ifdef _WIN32
  if (path.starts_with('/')) path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

}  // namespace testing_support
