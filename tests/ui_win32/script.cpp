#include "tests/ui_win32/script.h"

#include <cstdio>

namespace ui_test {
namespace {
constexpr UINT kTickMs = 25;
constexpr DWORD kStepLimitMs = 20000;
Script* g_running = nullptr;

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

INPUT MouseButton(DWORD flag) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flag;
  return input;
}
}  // namespace

Script::~Script() {
  if (m_timer) KillTimer(nullptr, m_timer);
  if (g_running == this) g_running = nullptr;
}

Script& Script::Then(std::string name, std::function<bool()> ready, std::function<void()> act) {
  m_steps.push_back({std::move(name), std::move(ready), std::move(act)});
  return *this;
}

void Script::Start() {
  g_running = this;
  m_stepStart = GetTickCount();
  m_timer = SetTimer(nullptr, 0, kTickMs, &Script::Tick);
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR, DWORD) {
  // Steps act without entering a modal loop, so a tick never nests.
  if (g_running) g_running->Advance();
}

void Script::Advance() {
  if (Finished()) return;
  Step& step = m_steps[m_next];
  const DWORD now = GetTickCount();
  if (!step.ready()) {
    m_readySince = 0;
    if (now - m_stepStart > kStepLimitMs) {
      std::printf("FAILED: timed out waiting for: %s\n", step.name.c_str());
      std::fflush(stdout);
      ExitProcess(2);
    }
    return;
  }
  if (!m_readySince) m_readySince = now;
  if (now - m_readySince < m_lingerMs) return;
  ++m_next;
  m_stepStart = now;
  m_readySince = 0;
  step.act();
}

void Click(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  Send({MouseButton(MOUSEEVENTF_LEFTDOWN), MouseButton(MOUSEEVENTF_LEFTUP)});
}

void PressKey(WORD key) {
  Send({Key(key, false), Key(key, true)});
}

void PressAlt(char letter) {
  const WORD key = static_cast<WORD>(letter);
  Send({Key(VK_MENU, false), Key(key, false), Key(key, true), Key(VK_MENU, true)});
}

void Type(const std::string& text) {
  std::vector<INPUT> inputs;
  for (const char c : text) {
    for (const bool up : {false, true}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(c));
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(input);
    }
  }
  Send(std::move(inputs));
}

}  // namespace ui_test
