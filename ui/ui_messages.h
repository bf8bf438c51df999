// What the windows of the program tell the user, apart from the dialog
// templates' own texts (captions, button labels, placeholders), which live
// with the templates in res/dialog_templates.cpp.
#pragma once

namespace ui {

// Customize, when the E-Book is marked rebranded and the stamp allows no repeat.
inline constexpr char kAlreadyRebranded[] = "This E-Book has already been rebranded.";
// Customize, when the table holds no variables at all.
inline constexpr char kNoVariables[] = "No variables found.";
// After a successful store, with the information icon.
inline constexpr char kCustomized[] = "The E-Book has been successfully customized.";

// The wizard's own caption, wherever its frame shows one.
inline constexpr char kWizardCaption[] = "Customize";
// Each page's title: kStepPrefix + its number + kStepOf + the number of pages.
inline constexpr char kStepPrefix[] = "Step ";
inline constexpr char kStepOf[] = " of ";

// The wizard frame's buttons, where the backend draws the frame itself (Qt);
// the Win32 property sheet has its own.
inline constexpr char kHelpButton[] = "&Help";
inline constexpr char kBackButton[] = "< &Back";
inline constexpr char kNextButton[] = "&Next >";
inline constexpr char kFinishButton[] = "Finish";
inline constexpr char kCancelButton[] = "Cancel";

}  // namespace ui
