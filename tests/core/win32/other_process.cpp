#include "tests/core/other_process.h"

#include <windows.h>

namespace testing_support {
namespace {

constexpr UINT kKilled = 0xDEAD;

// One argument as the C runtime will split it back out of the command line.
std::string Quoted(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '"') quoted.append(backslashes + 1, '\\');
    backslashes = c == '\\' ? backslashes + 1 : 0;
    quoted += c;
  }
  return quoted.append(backslashes, '\\') + '"';
}

}  // namespace

size_t OpenHandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

OtherProcess::OtherProcess(const ChildCommand& command) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE read, write;
  if (!CreatePipe(&read, &write, &inheritable, 0)) return;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  std::string commandLine;
  for (const std::string& word : command) commandLine += Quoted(word) + ' ';
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  PROCESS_INFORMATION process;
  const bool started = CreateProcessA(command[0].c_str(), commandLine.data(), nullptr, nullptr,
                                      TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(write);
  m_output = reinterpret_cast<intptr_t>(read);
  if (!started) return;
  CloseHandle(process.hThread);
  m_process = reinterpret_cast<intptr_t>(process.hProcess);
  char byte;
  DWORD n = 0;
  m_bReady = ReadFile(read, &byte, 1, &n, nullptr) && n == 1;
}

bool OtherProcess::Kill() {
  DWORD code = 0;
  if (m_process != -1) {
    const HANDLE process = reinterpret_cast<HANDLE>(m_process);
    // Fails, and the exit code stays the child's own, once it has ended.
    TerminateProcess(process, kKilled);
    WaitForSingleObject(process, INFINITE);
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
  }
  if (m_output != -1) CloseHandle(reinterpret_cast<HANDLE>(m_output));
  const bool killed = m_process != -1 && code == kKilled;
  m_process = m_output = -1;
  return killed;
}

}  // namespace testing_support
