// Whether a program may be stamped: only the bare rebrander (or a rebrander
// already stamped), which carries the mark of formats/bare_signature.h. An
// E-Book or any other program would ship as a rebrander that cannot work.
#pragma once

#include <string>

namespace stamping {

// On refusal returns false with "PATH: reason" in `error`.
bool IsBareRebrander(const std::string& path, std::string& error);

}  // namespace stamping
