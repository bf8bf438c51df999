// The JSON description of an E-Book package that mkebook packs from and dumps:
//
//   {"id": "Sample E-Book 1.0", "version": 3,
//    "opaque": [f2, f3, f4, f5, f7, f8],        (optional, zeros when left out)
//    "rebranded": 0,
//    "variables": [{"ident": "...", "prompt": "...", "value": "...",
//                   "editable": 1, "type": 0}, ...]}
//
// The opaque integers are the trailer's m_nField2..5, 7 and 8, in that order.
// The E-Book stores 8-bit text: strings are converted with the local 8-bit
// encoding (UTF-8 on Linux), so an E-Book whose bytes are not valid UTF-8
// dumps them as U+FFFD. Line breaks in values are usually "\r\n".
#pragma once

#include <QByteArray>
#include <string>

#include "tools/mkebook/ebook_package.h"

namespace packing {

// Fills `package` from JSON text. On failure returns false with a one-line
// reason naming the offending field in `error`.
bool PackageFromJson(const QByteArray& json, EBookPackage& package, std::string& error);

QByteArray PackageToJson(const EBookPackage& package);

}  // namespace packing
