#include "tests/core/other_process.h"

#include <windows.h>

namespace testing_support {
namespace {

constexpr UINT kKilled = 0xDEAD;

HANDLE AsHandle(intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

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

OtherProcess::OtherProcess(const ChildCommand& command, bool waitUntilReady) {
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
  m_bReady = waitUntilReady && ReadFile(read, &byte, 1, &n, nullptr) && n == 1;
}

int OtherProcess::Wait() {
  if (m_process != -1 && !m_bEnded) {
    WaitForSingleObject(AsHandle(m_process), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(AsHandle(m_process), &code);
    m_bEnded = true;
    m_nExitCode = code == kKilled ? -1 : static_cast<int>(code);
  }
  return m_nExitCode;
}

bool OtherProcess::Kill() {
  // Fails, and the exit code stays the child's own, once it has ended.
  const bool killed = m_process != -1 && !m_bEnded &&
                      TerminateProcess(AsHandle(m_process), kKilled) && Wait() == -1;
  if (m_process != -1) {
    Wait();
    CloseHandle(AsHandle(m_process));
    m_process = -1;
  }
  if (m_output != -1) CloseHandle(AsHandle(m_output));
  m_output = -1;
  return killed;
}

}  // namespace testing_support
