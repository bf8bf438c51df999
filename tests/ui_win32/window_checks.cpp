#include "tests/ui_win32/window_checks.h"

#include <cstdio>

namespace ui_test {
namespace {
int g_passed = 0;
int g_failed = 0;

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

const char* ClassFor(res::ControlKind kind) {
  switch (kind) {
    case res::ControlKind::PushButton:
      return "Button";
    case res::ControlKind::Edit:
      return "Edit";
    case res::ControlKind::Static:
      break;
  }
  return "Static";
}

uint32_t Style(HWND window) {
  return static_cast<uint32_t>(GetWindowLongPtrA(window, GWL_STYLE));
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// The rectangle in the dialog's client coordinates.
RECT RectIn(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// As the dialog manager places a control: origin and size converted apart.
RECT FromDialogUnits(HWND dialog, int x, int y, int width, int height) {
  RECT rect{x, y, width, height};
  MapDialogRect(dialog, &rect);
  rect.right += rect.left;
  rect.bottom += rect.top;
  return rect;
}

std::string FontFace(HWND dialog) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font.lfFaceName;
}
}  // namespace

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++g_passed;
  } else {
    ++g_failed;
    std::printf("FAILED: %s\n", what.c_str());
    std::fflush(stdout);
  }
}

int PassedChecks() {
  return g_passed;
}

int FailedChecks() {
  return g_failed;
}

std::string TextOf(HWND window) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool Shown(HWND window) {
  return window && IsWindowVisible(window);
}

bool Usable(HWND window) {
  return Shown(window) && IsWindowEnabled(window);
}

void CheckBuiltFromTemplate(HWND dialog, const res::DialogTemplate& description) {
  const std::string where = "template " + std::to_string(description.id) + " ";
  if (!(Style(dialog) & WS_CHILD)) {
    CheckEqual(TextOf(dialog), description.caption, where + "caption");
    const uint32_t style = description.style & ~WS_VISIBLE;  // shown after initialisation
    CheckEqual(Style(dialog) & style, style, where + "window style");
    const auto exStyle = static_cast<uint32_t>(GetWindowLongPtrA(dialog, GWL_EXSTYLE));
    CheckEqual(exStyle & description.exStyle, description.exStyle, where + "extended style");
    RECT client{};
    GetClientRect(dialog, &client);
    CheckEqual(Describe(client),
               Describe(FromDialogUnits(dialog, 0, 0, description.width, description.height)),
               where + "client size");
  }
  CheckEqual(FontFace(dialog), description.fontName, where + "font");

  HWND child = GetWindow(dialog, GW_CHILD);
  for (const res::ControlTemplate& control : description.controls) {
    const std::string what = where + "control " + std::to_string(control.id) + " ";
    Check(child != nullptr, what + "exists in template order");
    if (!child) return;
    CheckEqual(GetDlgCtrlID(child), control.id, what + "in template order");
    CheckEqual(ClassOf(child), ClassFor(control.kind), what + "class");
    CheckEqual(TextOf(child), control.text, what + "text");
    // The dialog manager draws an edit's border as a sunken client edge.
    const bool sunken = control.kind == res::ControlKind::Edit && (control.style & WS_BORDER);
    CheckEqual(Style(child), sunken ? control.style & ~WS_BORDER : control.style, what + "style");
    const auto exStyle = static_cast<uint32_t>(GetWindowLongPtrA(child, GWL_EXSTYLE));
    CheckEqual((exStyle & WS_EX_CLIENTEDGE) != 0, sunken, what + "sunken edge");
    CheckEqual(
        Describe(RectIn(dialog, child)),
        Describe(FromDialogUnits(dialog, control.x, control.y, control.width, control.height)),
        what + "rectangle");
    child = GetWindow(child, GW_HWNDNEXT);
  }
  Check(child == nullptr, where + "has no other controls");
}

HWND FindMessageBox(const std::string& caption, const std::string& text) {
  const HWND box = FindWindowA("#32770", caption.c_str());
  for (HWND c = box ? GetWindow(box, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (TextOf(c) == text) return box;
  }
  return nullptr;
}

HICON MessageBoxIcon(HWND box) {
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if ((Style(c) & SS_TYPEMASK) == SS_ICON) {
      return reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
    }
  }
  return nullptr;
}

}  // namespace ui_test
