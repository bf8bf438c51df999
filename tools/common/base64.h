// Base64 (the standard alphabet, "=" padding) for the bytes of a text that is
// not text in its code page.
#pragma once

#include <optional>
#include <string>

namespace tool_files {

std::string EncodeBase64(const std::string& bytes);
// Nullopt for a character outside the alphabet, a misplaced "=" or a length
// that no bytes have; the padding may be left off.
std::optional<std::string> DecodeBase64(const std::string& text);

}  // namespace tool_files
