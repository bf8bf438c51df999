#include "ui/qt/text_codec.h"

namespace ui {

QString FromExecutableText(const std::string& bytes) {
  return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToExecutableText(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

QString LiteralWindowTitle(const QString& title) {
  QString escaped = title;
  return escaped.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

}  // namespace ui
