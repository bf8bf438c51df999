// Turns a dialog description of res/ into the in-memory extended dialog
// template (DLGTEMPLATEEX) that the dialog manager and the property sheet
// create windows from.
#pragma once

#include <cstdint>
#include <vector>

#include "res/dialog_template.h"

namespace ui::win32 {

// The template as 16-bit cells; its first cell is DWORD-aligned, as the
// format requires. Texts go from the ANSI code page to UTF-16.
std::vector<uint16_t> BuildDialogTemplate(const res::DialogTemplate& description);

}  // namespace ui::win32
