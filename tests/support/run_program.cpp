#include "tests/support/run_program.h"

#include <cstdlib>

#include "platform/path.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace testing_support {
namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#define WIFEXITED(status) true  // std::system gives the exit code itself
#define WEXITSTATUS(status) (status)
#else
constexpr bool kWindows = false;
#endif

// cmd.exe: no quote can appear inside a path, so plain double quotes do.
std::string Quoted(const std::string& text) {
  if (kWindows) return "\"" + text + "\"";
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The captured text with Windows' CR LF line ends made LF.
std::string WithLf(const std::string& text) {
  std::string lf;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!kWindows || text.compare(i, 2, "\r\n") != 0) lf += text[i];
  }
  return lf;
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& folder) {
  const TempDir capture;
  std::string command;
  if (!folder.empty()) command = (kWindows ? "cd /d " : "cd ") + Quoted(folder) + " && ";
  for (const std::string& arg : args) command += Quoted(arg) + " ";
  // The capture files live in the temporary folder, whose name the code page
  // can always spell.
  command += ">" + Quoted(platform::TextFromPath(capture.File("1"))) + " 2>" +
             Quoted(platform::TextFromPath(capture.File("2")));
  // cmd.exe takes the first and the last quote of its command line away.
  if (kWindows) command = "\"" + command + "\"";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, WithLf(ReadFileBytes(capture.File("1"))),
          WithLf(ReadFileBytes(capture.File("2")))};
}

}  // namespace testing_support
