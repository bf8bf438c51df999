// Text from the executables is 8-bit text in the locale's encoding. It is
// converted for display only; invalid bytes never fail.
#pragma once

#include <QString>
#include <string>

namespace ui {

QString FromExecutableText(const std::string& bytes);
std::string ToExecutableText(const QString& text);

// A window title shown exactly as given: Qt would otherwise treat "[*]" as the
// modified-document placeholder and hide it.
QString LiteralWindowTitle(const QString& title);

}  // namespace ui
