// The JSON description of an E-Book package that mkebook packs from and dumps:
//
//   {"id": "Sample E-Book 1.0", "version": 3,
//    "opaque": [f2, f3, f4, f5, f7, f8],        (optional, zeros when left out)
//    "rebranded": 0,
//    "variables": [{"ident": "...", "prompt": "...", "value": "...",
//                   "editable": 1, "type": 0}, ...]}
//
// The opaque integers are the trailer's m_nField2..5, 7 and 8, in that order.
// Every text and the id is a JSON string when its bytes are text in the code
// page, else {"base64": "..."} (tools/common/json_fields.h), so that a dump
// packs back to the same bytes. Texts cannot hold zero bytes: the table ends a
// text at its first. The id is the identity block up to its first zero byte;
// when other bytes follow that zero, the whole block (zeros included, trailing
// zeros left off) is the id's base64. Line breaks in values are usually "\r\n".
#pragma once

#include <string>

#include "tools/common/text_codec.h"
#include "tools/mkebook/ebook_package.h"

namespace packing {

// Fills `package` from JSON text. On failure returns false with a one-line
// reason naming the offending field in `error`.
bool PackageFromJson(const std::string& json, const tool_files::TextCodec& codec,
                     EBookPackage& package, std::string& error);

std::string PackageToJson(const EBookPackage& package, const tool_files::TextCodec& codec);

}  // namespace packing
