#include <stdexcept>

#include "res/dialog_template.h"

namespace res {
namespace {

using namespace style;

constexpr uint32_t kControl = kChild | kVisible;

const DialogTemplate kRebrandDialog{
    IDD_REBRAND_DIALOG,
    "Customize",
    320,
    200,
    "MS Sans Serif",
    8,
    kPopup | kVisible | kCaption | kSysMenu | kDsModalFrame | kDsSetFont,
    kExAppWindow,
    {
        {IDC_STATUS, ControlKind::Static, "Reading Rebranding Information...", 7, 7, 244, 186,
         kControl | kSsLeft | kGroup},
        {IDC_CUSTOMIZE, ControlKind::PushButton, "&Customize", 263, 7, 50, 14,
         kControl | kBsPushButton | kTabStop},
        {IDCANCEL, ControlKind::PushButton, "E&xit", 263, 179, 50, 14,
         kControl | kBsPushButton | kTabStop},
        {IDC_VIEW_EBOOK, ControlKind::PushButton, "&View E-Book", 263, 26, 50, 14,
         kControl | kBsPushButton | kTabStop},
    }};

constexpr uint32_t kPageStyle = kChild | kDisabled | kCaption | kDsSetFont;

const DialogTemplate kMultiLinePage{
    IDD_MULTILINE_PAGE,
    "Dialog",
    310,
    140,
    "MS Sans Serif",
    8,
    kPageStyle,
    0,
    {
        {IDC_VALUE, ControlKind::Edit, "", 7, 17, 296, 116,
         kControl | kEsMultiLine | kEsWantReturn | kEsAutoVScroll | kEsAutoHScroll | kVScroll |
             kHScroll | kBorder | kTabStop},
        {IDC_PROMPT, ControlKind::Static, "Prompt", 7, 6, 296, 8,
         kControl | kSsLeft | kSsNoPrefix | kGroup},
    }};

const DialogTemplate kSingleLinePage{IDD_SINGLELINE_PAGE,
                                     "Dialog",
                                     310,
                                     140,
                                     "MS Sans Serif",
                                     8,
                                     kPageStyle,
                                     0,
                                     {
                                         {IDC_PROMPT, ControlKind::Static, "Prompt", 7, 6, 296, 8,
                                          kControl | kSsLeft | kSsNoPrefix | kGroup},
                                         {IDC_VALUE, ControlKind::Edit, "", 7, 15, 296, 12,
                                          kControl | kEsAutoHScroll | kBorder | kTabStop},
                                     }};

}  // namespace

const DialogTemplate& GetDialogTemplate(int id) {
  for (const DialogTemplate* t : {&kRebrandDialog, &kMultiLinePage, &kSingleLinePage}) {
    if (t->id == id) return *t;
  }
  throw std::out_of_range("no dialog template " + std::to_string(id));
}

}  // namespace res
