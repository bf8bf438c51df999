// Drives the real windows of another process through Win32 messages, as an
// accessibility tool would: find a window, read and set control texts, press
// buttons. Waits are bounded polls for something the program is about to do.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace e2e {

// A program started by path, ended when the object goes.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& path);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return m_info.hProcess != nullptr; }
  DWORD Id() const { return m_info.dwProcessId; }
  // True once the process has ended within the time.
  bool WaitForExit(DWORD milliseconds) const;

 private:
  PROCESS_INFORMATION m_info{};
};

// How long a window may take to appear, and the poll between looks.
inline constexpr DWORD kWindowTimeoutMs = 30000;

// Polls `found` until it returns a window or the time is up.
HWND WaitFor(const std::function<HWND()>& found, DWORD timeoutMs = kWindowTimeoutMs);

// A visible top-level window with this exact title. `processId` 0 means any
// process; `owned` asks for a window that has an owner (a message box or
// the wizard) or for one that has none (the main window).
HWND FindTopLevel(DWORD processId, const std::string& title, bool owned);
HWND WaitForTopLevel(DWORD processId, const std::string& title, bool owned);

// WM_GETTEXT, which reaches into the other process.
std::string TextOf(HWND window);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// A click on the dialog's push button, posted: the handler may run a modal loop.
void Click(HWND dialog, int id);

// The text of a message box.
std::string MessageBoxText(HWND box);

}  // namespace e2e
