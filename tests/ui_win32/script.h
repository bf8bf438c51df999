// Drives the user interface from inside the program under test: steps run in
// order from a thread timer, which every modal loop dispatches, and act by
// real input (SendInput) or posted messages, never by sending into a handler.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/win32_api.h"

namespace ui_test {

class Script {
 public:
  // Each step waits at least this long once ready, to watch or take a picture.
  explicit Script(unsigned lingerMs = 0) : m_lingerMs(lingerMs) {}
  ~Script();

  // Once `ready` holds, runs `act` and goes on with the next step. A step
  // that is not ready within the time limit ends the process as failed.
  Script& Then(std::string name, std::function<bool()> ready, std::function<void()> act);
  void Start();
  bool Finished() const { return m_next == m_steps.size(); }

 private:
  struct Step {
    std::string name;
    std::function<bool()> ready;
    std::function<void()> act;
  };
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Advance();

  unsigned m_lingerMs;
  std::vector<Step> m_steps;
  size_t m_next = 0;
  DWORD m_stepStart = 0;
  DWORD m_readySince = 0;
  UINT_PTR m_timer = 0;
};

// Real input, as from the user.
void Click(HWND window);
void PressKey(WORD key);
void PressAlt(char letter);
void Type(const std::string& text);

}  // namespace ui_test
