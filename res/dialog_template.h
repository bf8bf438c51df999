// Dialog templates kept as data: caption, size, font, window styles and
// controls in dialog units. The one description of every window: the Qt
// backend lays widgets out from it, the Win32 backend turns it into a real
// in-memory dialog template.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace res {

// The classic window style bits, by value: the templates carry exactly what a
// Win32 dialog template holds, without needing the Windows headers.
namespace style {
inline constexpr uint32_t kPopup = 0x80000000;
inline constexpr uint32_t kChild = 0x40000000;
inline constexpr uint32_t kVisible = 0x10000000;
inline constexpr uint32_t kDisabled = 0x08000000;
inline constexpr uint32_t kCaption = 0x00C00000;
inline constexpr uint32_t kBorder = 0x00800000;
inline constexpr uint32_t kVScroll = 0x00200000;
inline constexpr uint32_t kHScroll = 0x00100000;
inline constexpr uint32_t kSysMenu = 0x00080000;
inline constexpr uint32_t kGroup = 0x00020000;
inline constexpr uint32_t kTabStop = 0x00010000;
// Dialog styles.
inline constexpr uint32_t kDsSetFont = 0x40;
inline constexpr uint32_t kDsModalFrame = 0x80;
inline constexpr uint32_t kExAppWindow = 0x00040000;
// Static: left-aligned text wraps at word boundaries; no '&' mnemonics.
inline constexpr uint32_t kSsLeft = 0x0;
inline constexpr uint32_t kSsTypeMask = 0x1F;
inline constexpr uint32_t kSsNoPrefix = 0x80;
// Push button.
inline constexpr uint32_t kBsPushButton = 0x0;
// Edit.
inline constexpr uint32_t kEsMultiLine = 0x4;
inline constexpr uint32_t kEsAutoVScroll = 0x40;
inline constexpr uint32_t kEsAutoHScroll = 0x80;
inline constexpr uint32_t kEsWantReturn = 0x1000;
}  // namespace style

enum class ControlKind { Static, PushButton, Edit };

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::string text;
  int x, y, width, height;  // dialog units
  uint32_t style;           // WS_CHILD and WS_VISIBLE included
};

struct DialogTemplate {
  int id;
  std::string caption;
  int width, height;  // dialog units
  std::string fontName;
  int pointSize;
  uint32_t style;
  uint32_t exStyle;
  std::vector<ControlTemplate> controls;  // in tab order
};

inline constexpr int IDD_REBRAND_DIALOG = 102;
inline constexpr int IDD_MULTILINE_PAGE = 129;
inline constexpr int IDD_SINGLELINE_PAGE = 130;
inline constexpr int IDR_MAINFRAME = 128;

inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATUS = 1001;
inline constexpr int IDC_CUSTOMIZE = 1002;
inline constexpr int IDC_VIEW_EBOOK = 1004;
inline constexpr int IDC_PROMPT = 1005;
inline constexpr int IDC_VALUE = 1006;

// The template with the given id; every id above has one.
const DialogTemplate& GetDialogTemplate(int id);

}  // namespace res
