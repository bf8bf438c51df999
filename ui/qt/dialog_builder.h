// Builds a window's controls from a dialog template.
#pragma once

#include <QWidget>
#include <cstdint>

#include "res/dialog_template.h"

namespace ui {

// Creates every control of the template inside `window`, sized and placed in
// dialog units of the window's font, in the template's tab order, and gives
// the window the template's caption and client size. Each control's object
// name is its id.
void BuildDialog(QWidget* window, const res::DialogTemplate& dialog);

// The title bar and its buttons that a top-level window of this style has.
Qt::WindowFlags DialogWindowFlags(uint32_t style);

// The first control that takes focus by Tab, in template order; nullptr if none.
QWidget* FirstTabStop(const QWidget* window);

template <class T>
T* GetDlgItem(const QWidget* window, int id) {
  return window->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace ui
