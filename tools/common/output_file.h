// An output the tools write: made under a name of its own in the target's
// folder, flushed, then renamed over the target, so that the target is either
// as it was or complete. A file of the user's is never deleted: the only file
// removed is the tool's own temporary one, and no message names it.
#pragma once

#include <string>

#include "platform/file_io.h"
#include "tools/common/tool_paths.h"

namespace tool_files {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Starts the output. A target that exists keeps its permissions; a new one
  // takes those of `modeFrom` (empty: the usual ones of a new file). A target
  // that the user may not write, or that is no plain file, is refused. On
  // failure returns false with "TARGET: reason" in `error`.
  bool Open(const std::string& target, const std::string& modeFrom, std::string& error);
  platform::HFILE Handle() const { return m_file; }
  const std::string& Target() const { return m_target; }

  // Flushes, closes and renames over the target. On failure returns false
  // with "TARGET: reason" in `error`, and nothing is left behind.
  bool Commit(std::string& error);
  // Gives up: the temporary file goes, the target stays as it was.
  void Abandon();

  // "TARGET: reason" for a failed write through Handle(), the system's reason.
  std::string WriteFailure() const;

 private:
  std::string m_target, m_temporary;
  unsigned m_permissions = 0;
  platform::HFILE m_file = platform::HFILE_ERROR;
};

}  // namespace tool_files
