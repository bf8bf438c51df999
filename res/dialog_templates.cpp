#include <stdexcept>

#include "res/dialog_template.h"

namespace res {
namespace {

const DialogTemplate kRebrandDialog{
    IDD_REBRAND_DIALOG,
    "Customize",
    320,
    200,
    "MS Sans Serif",
    8,
    {
        {IDC_STATUS, ControlKind::Static, "Reading Rebranding Information...", 7, 7, 244, 186,
         kWordWrap},
        {IDC_CUSTOMIZE, ControlKind::PushButton, "&Customize", 263, 7, 50, 14, kTabStop},
        {IDCANCEL, ControlKind::PushButton, "E&xit", 263, 179, 50, 14, kTabStop},
        {IDC_VIEW_EBOOK, ControlKind::PushButton, "&View E-Book", 263, 26, 50, 14, kTabStop},
    }};

const DialogTemplate kMultiLinePage{
    IDD_MULTILINE_PAGE,
    "Dialog",
    310,
    140,
    "MS Sans Serif",
    8,
    {
        {IDC_VALUE, ControlKind::Edit, "", 7, 17, 296, 116, kMultiLine | kScrollBars | kTabStop},
        {IDC_PROMPT, ControlKind::Static, "Prompt", 7, 6, 296, 8, kNoPrefix},
    }};

const DialogTemplate kSingleLinePage{
    IDD_SINGLELINE_PAGE,
    "Dialog",
    310,
    140,
    "MS Sans Serif",
    8,
    {
        {IDC_PROMPT, ControlKind::Static, "Prompt", 7, 6, 296, 8, kNoPrefix},
        {IDC_VALUE, ControlKind::Edit, "", 7, 15, 296, 12, kTabStop},
    }};

}  // namespace

const DialogTemplate& GetDialogTemplate(int id) {
  for (const DialogTemplate* t : {&kRebrandDialog, &kMultiLinePage, &kSingleLinePage}) {
    if (t->id == id) return *t;
  }
  throw std::out_of_range("no dialog template " + std::to_string(id));
}

}  // namespace res
