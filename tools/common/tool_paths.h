// The tools' one place for how a path given by the user reaches the system.
// Paths travel through the tools as UTF-8 strings; on Windows the command line
// is taken wide and every file the tools open themselves is opened by its wide
// path, so that names outside the ANSI code page work.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tool_files {

// The arguments after the program's name, in UTF-8. Also puts standard input
// and output in binary mode, so that bytes pass unchanged on every system.
std::vector<std::string> ToolArguments(int argc, char** argv);

std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

// std::fopen by a UTF-8 path.
std::FILE* OpenFile(const std::string& utf8, const char* mode);

// The reason the system gave for the last failed call ("No space left on
// device"): errno, or on Windows the last error of a system call.
std::string SystemReason();

}  // namespace tool_files
