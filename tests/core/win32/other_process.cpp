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

void OtherProcess::Start(const ChildCommand& command) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE read, write;
  if (!CreatePipe(&read, &write, &inheritable, 0)) return;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  std::string commandLine = Quoted(command.program);
  for (const std::string& argument : command.arguments) commandLine += ' ' + Quoted(argument);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  PROCESS_INFORMATION process;
  const bool started = CreateProcessA(command.program.c_str(), commandLine.data(), nullptr, nullptr,
                                      TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(write);
  if (!started) {
    CloseHandle(read);
    return;
  }
  CloseHandle(process.hThread);
  m_process = reinterpret_cast<intptr_t>(process.hProcess);
  m_output = reinterpret_cast<intptr_t>(read);
}

bool OtherProcess::ReadReady() {
  char byte;
  DWORD n = 0;
  return m_output != -1 && ReadFile(AsHandle(m_output), &byte, 1, &n, nullptr) && n == 1;
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
  bool killed = false;
  if (m_process != -1) {
    // Fails, and the exit code stays the child's own, once it has ended.
    killed = !m_bEnded && TerminateProcess(AsHandle(m_process), kKilled) && Wait() == -1;
    Wait();
    CloseHandle(AsHandle(m_process));
    m_process = -1;
  }
  if (m_output != -1) CloseHandle(AsHandle(m_output));
  m_output = -1;
  return killed;
}

}  // namespace testing_support
