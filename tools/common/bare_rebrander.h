// Where the tools find the bare rebrander programs without being told: beside
// an installed tool, and in a build tree.
#pragma once

#include <string>

namespace tool_files {

inline constexpr char kLinuxRebrander[] = "rebrander";
inline constexpr char kWindowsRebrander[] = "rebrander.exe";

// The path of the bare program `name`, or empty when none is where the tools
// look.
std::string FindBareRebrander(const std::string& name);

}  // namespace tool_files
