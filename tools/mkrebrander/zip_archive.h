// Writes a zip archive of a folder's files, stored without compression: the
// programs it holds barely shrink, and the same inputs give the same bytes on
// every system, with no archiver to install.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace stamping {

struct ZipEntry {
  std::string name;  // UTF-8, "/" between folders; a folder ends with "/"
  std::string path;  // the file whose bytes it holds; empty for a folder
};

// Every entry stamped with `when` (UTC). On failure returns false with a
// one-line reason in `error`; the caller removes the partial archive.
bool WriteZip(const std::string& archive, const std::vector<ZipEntry>& entries, std::time_t when,
              std::string& error);

}  // namespace stamping
