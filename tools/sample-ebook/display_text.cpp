#include "tools/sample-ebook/display_text.h"

#include <QByteArray>

namespace sample_ebook {

QString DisplayText(const std::string& stored) {
  QString text = QString::fromLocal8Bit(QByteArray::fromStdString(stored));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace sample_ebook
