// Modes of the test child that only one system has (posix/ or win32/).
#pragma once

#include <string>
#include <vector>

inline constexpr int kUnknownMode = 2;

// Runs the mode, ending with `holdIfTaken` where it takes something; or
// returns kUnknownMode.
int SystemMode(const std::string& mode, const std::vector<std::string>& args,
               int (*holdIfTaken)(bool));
