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
// cmd.exe: no quote can appear inside a path, so plain double quotes do.
std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}
int ExitCode(int status) {
  return status;
}
std::string WithLf(std::string text) {
  std::string lf;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  }
  return lf;
}
#else
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
int ExitCode(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
std::string WithLf(std::string text) {
  return text;
}
#endif

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& folder) {
  const TempDir capture;
  std::string command;
#ifdef _WIN32
  if (!folder.empty()) command = "cd /d " + Quoted(folder) + " && ";
#else
  if (!folder.empty()) command = "cd " + Quoted(folder) + " && ";
#endif
  for (const std::string& arg : args) command += Quoted(arg) + " ";
  // The capture files live in the temporary folder, whose name the code page
  // can always spell.
  command += ">" + Quoted(platform::TextFromPath(capture.File("1"))) + " 2>" +
             Quoted(platform::TextFromPath(capture.File("2")));
#ifdef _WIN32
  // cmd.exe takes the first and the last quote of its command line away.
  command = "\"" + command + "\"";
#endif
  const int status = std::system(command.c_str());
  return {ExitCode(status), WithLf(ReadFileBytes(capture.File("1"))),
          WithLf(ReadFileBytes(capture.File("2")))};
}

}  // namespace testing_support
