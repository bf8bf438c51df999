// The one type for a path to a file. On Windows it is wide, as the system's
// own paths are, so that any folder name reaches the system unchanged; the
// code page of the texts is met only where a path joins a text. On POSIX it
// is the bytes the system gives.
#pragma once

#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
using PathChar = wchar_t;
inline constexpr PathChar kPathSeparator = L'\\';
#else
using PathChar = char;
inline constexpr PathChar kPathSeparator = '/';
#endif
using Path = std::basic_string<PathChar>;

// Where the last folder separator stands (on Windows '/' as well as '\'), or
// npos. Searched for as a whole character: no byte of a double-byte code page
// can pass for one.
size_t LastSeparator(const Path& path);

// From a text in the code page of the program's texts (on Windows the ANSI
// code page), and back for a text that shows a path; on POSIX both pass the
// bytes through. What the code page cannot hold comes back as the system's
// replacement character.
Path PathFromText(std::string_view text);
std::string TextFromPath(const Path& path);

// The same for UTF-8, the tools' and the tests' own text.
Path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const Path& path);

}  // namespace platform
