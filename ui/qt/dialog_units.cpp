#include "ui/qt/dialog_units.h"

#include <QFontMetrics>

namespace ui {
namespace {
int MulDiv(int value, int numerator, int denominator) {
  return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) /
                          denominator);
}
}  // namespace

QSize DialogBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return QSize((alphabet / 26 + 1) / 2, metrics.height());
}

QRect MapDialogRect(const QFont& font, int x, int y, int width, int height) {
  const QSize base = DialogBaseUnits(font);
  return QRect(MulDiv(x, base.width(), 4), MulDiv(y, base.height(), 8),
               MulDiv(width, base.width(), 4), MulDiv(height, base.height(), 8));
}

}  // namespace ui
