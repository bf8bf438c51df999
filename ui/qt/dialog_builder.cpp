#include "ui/qt/dialog_builder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/qt/dialog_units.h"

namespace ui {
namespace {

using res::ControlKind;
using res::ControlTemplate;

QWidget* MakeStatic(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(QString::fromStdString(control.text), parent);
  // Texts come from the executables: never markup, and '&' is never a mnemonic.
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // A left-aligned static wraps at word boundaries, as the classic control does.
  label->setWordWrap((control.style & res::style::kSsTypeMask) == res::style::kSsLeft);
  return label;
}

QWidget* MakeButton(const ControlTemplate& control, QWidget* parent) {
  auto* button = new QPushButton(QString::fromStdString(control.text), parent);
  button->setDefault(false);
  return button;
}

QWidget* MakeEdit(const ControlTemplate& control, QWidget* parent) {
  if (!(control.style & res::style::kEsMultiLine)) return new QLineEdit(parent);
  auto* edit = new QPlainTextEdit(parent);
  edit->setTabChangesFocus(true);
  if (control.style & res::style::kHScroll) {
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  }
  return edit;
}

QWidget* MakeControl(const ControlTemplate& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::Static:
      return MakeStatic(control, parent);
    case ControlKind::PushButton:
      return MakeButton(control, parent);
    case ControlKind::Edit:
      return MakeEdit(control, parent);
  }
  return nullptr;
}

}  // namespace

void BuildDialog(QWidget* window, const res::DialogTemplate& dialog) {
  window->setWindowTitle(QString::fromStdString(dialog.caption));
  const QFont font = window->font();
  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = MakeControl(control, window);
    widget->setObjectName(QString::number(control.id));
    widget->setGeometry(MapDialogRect(font, control.x, control.y, control.width, control.height));
    if (!(control.style & res::style::kTabStop)) {
      widget->setFocusPolicy(Qt::NoFocus);
    } else {
      if (previousTabStop) QWidget::setTabOrder(previousTabStop, widget);
      previousTabStop = widget;
    }
  }
  window->setFixedSize(MapDialogRect(font, 0, 0, dialog.width, dialog.height).size());
}

Qt::WindowFlags DialogWindowFlags(uint32_t style) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
  if ((style & res::style::kCaption) == res::style::kCaption) flags |= Qt::WindowTitleHint;
  if (style & res::style::kSysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

QWidget* FirstTabStop(const QWidget* window) {
  // Direct children come in creation order, which is the template's.
  for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->focusPolicy() & Qt::TabFocus) return child;
  }
  return nullptr;
}

}  // namespace ui
