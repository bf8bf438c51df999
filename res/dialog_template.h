// Dialog templates kept as data: caption, size and controls in dialog units,
// converted to pixels through the dialog font's metrics when a window is built.
#pragma once

#include <string>
#include <vector>

namespace res {

enum class ControlKind { Static, PushButton, Edit };

// Style bits that change how a control behaves.
enum ControlStyle : unsigned {
  kNoStyle = 0,
  kMultiLine = 1u << 0,   // edit: several lines, Enter starts a new one
  kScrollBars = 1u << 1,  // edit: both scroll bars, no word wrap
  kTabStop = 1u << 2,
  kWordWrap = 1u << 3,  // static: wraps long lines
  kNoPrefix = 1u << 4,  // static: '&' shows as itself
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::string text;
  int x, y, width, height;  // dialog units
  unsigned style;
};

struct DialogTemplate {
  int id;
  std::string caption;
  int width, height;  // dialog units
  std::string fontName;
  int pointSize;
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
