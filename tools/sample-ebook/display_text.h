// Turns a stored 8-bit text into what the book shows: local 8-bit encoding,
// CR LF (or a lone CR) as a line break. The result is meant for plain-text
// display only; markup in it is shown as typed.
#pragma once

#include <QString>
#include <string>

namespace sample_ebook {

QString DisplayText(const std::string& stored);

}  // namespace sample_ebook
