// The mark that tells the bare rebrander program from any other: the rebrander
// carries these two parts as one string (ui/bare_signature.cpp), and the kit
// refuses to stamp a program that lacks it. The tools keep the parts apart, so
// that they do not carry the whole mark themselves.
#pragma once

namespace formats {

inline constexpr char kBareSignatureStart[] = "rebrander bare program, stamp me: ";
inline constexpr char kBareSignatureEnd[] = "5c1e0b7a-93d4";

}  // namespace formats
