// Dialog units to pixels, the way the classic dialog manager does it: x by the
// font's average character width / 4, y by its height / 8.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace ui {

// Average character width and character height of the font, in pixels.
QSize DialogBaseUnits(const QFont& font);
QRect MapDialogRect(const QFont& font, int x, int y, int width, int height);

}  // namespace ui
