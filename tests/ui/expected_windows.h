// The main window and the two wizard pages as the user must get them, written
// out apart from res/ (only the ids are taken from there): the Qt and the Win32
// tests check real windows against it.
#pragma once

#include "res/dialog_template.h"

namespace expected_windows {

using namespace res::style;
using Kind = res::ControlKind;

inline constexpr uint32_t kControl = kChild | kVisible;
inline constexpr uint32_t kPage = kChild | kDisabled | kCaption | kDsSetFont;

inline res::DialogTemplate Dialog(int id, const char* caption, int width, int height,
                                  uint32_t style, std::vector<res::ControlTemplate> controls) {
  const uint32_t exStyle = id == res::IDD_REBRAND_DIALOG ? kExAppWindow : 0;
  return {id, caption, width, height, "MS Sans Serif", 8, style, exStyle, std::move(controls)};
}

inline const res::DialogTemplate kMain = Dialog(
    res::IDD_REBRAND_DIALOG, "Customize", 320, 200,
    kPopup | kVisible | kCaption | kSysMenu | kDsModalFrame | kDsSetFont,
    {{res::IDC_STATUS, Kind::Static, "Reading Rebranding Information...", 7, 7, 244, 186,
      kControl | kGroup},
     {res::IDC_CUSTOMIZE, Kind::PushButton, "&Customize", 263, 7, 50, 14, kControl | kTabStop},
     {res::IDCANCEL, Kind::PushButton, "E&xit", 263, 179, 50, 14, kControl | kTabStop},
     {res::IDC_VIEW_EBOOK, Kind::PushButton, "&View E-Book", 263, 26, 50, 14,
      kControl | kTabStop}});

inline const res::DialogTemplate kMultiLinePage = Dialog(
    res::IDD_MULTILINE_PAGE, "Dialog", 310, 140, kPage,
    {{res::IDC_VALUE, Kind::Edit, "", 7, 17, 296, 116,
      kControl | kEsMultiLine | kEsWantReturn | kEsAutoVScroll | kEsAutoHScroll | kVScroll |
          kHScroll | kBorder | kTabStop},
     {res::IDC_PROMPT, Kind::Static, "Prompt", 7, 6, 296, 8, kControl | kSsNoPrefix | kGroup}});

inline const res::DialogTemplate kSingleLinePage = Dialog(
    res::IDD_SINGLELINE_PAGE, "Dialog", 310, 140, kPage,
    {{res::IDC_PROMPT, Kind::Static, "Prompt", 7, 6, 296, 8, kControl | kSsNoPrefix | kGroup},
     {res::IDC_VALUE, Kind::Edit, "", 7, 15, 296, 12,
      kControl | kEsAutoHScroll | kBorder | kTabStop}});

}  // namespace expected_windows
