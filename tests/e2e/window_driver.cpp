#include "tests/e2e/window_driver.h"

#include <vector>

namespace e2e {

RunningProgram::RunningProgram(const std::string& path) {
  std::string commandLine = "\"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &m_info)) {
    m_info = PROCESS_INFORMATION{};
  }
}

RunningProgram::~RunningProgram() {
  if (!m_info.hProcess) return;
  if (!WaitForExit(0)) {
    TerminateProcess(m_info.hProcess, 1);
    WaitForExit(kWindowTimeoutMs);
  }
  CloseHandle(m_info.hThread);
  CloseHandle(m_info.hProcess);
}

bool RunningProgram::WaitForExit(DWORD milliseconds) const {
  return m_info.hProcess && WaitForSingleObject(m_info.hProcess, milliseconds) == WAIT_OBJECT_0;
}

HWND WaitFor(const std::function<HWND()>& found, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (HWND window = found()) return window;
    if (GetTickCount64() > deadline) return nullptr;
    Sleep(20);
  }
}

namespace {

struct Search {
  DWORD processId;
  std::string title;
  bool owned;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if ((search->processId && processId != search->processId) || !IsWindowVisible(window) ||
      (GetWindow(window, GW_OWNER) != nullptr) != search->owned ||
      TextOf(window) != search->title) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindTopLevel(DWORD processId, const std::string& title, bool owned) {
  Search search{processId, title, owned};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopLevel(DWORD processId, const std::string& title, bool owned) {
  return WaitFor([&] { return FindTopLevel(processId, title, owned); });
}

std::string TextOf(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got =
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? TextOf(control) : std::string();
}

void SetControlText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

std::vector<HWND> Statics(HWND box) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) found.push_back(child);
  }
  return found;
}

}  // namespace

std::string MessageBoxText(HWND box) {
  // The longest static is the message; the other holds the icon.
  std::string text;
  for (HWND child : Statics(box)) {
    const std::string candidate = TextOf(child);
    if (candidate.size() > text.size()) text = candidate;
  }
  return text;
}

}  // namespace e2e
