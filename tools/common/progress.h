// Progress of long work, on standard error and only when that is a terminal:
// a line rewritten in place, "tool: what 120/1000", cleared at the end.
#pragma once

#include <cstdint>
#include <string>

namespace tool_files {

class Progress {
 public:
  Progress(std::string tool, std::string what, int64_t total);
  ~Progress();
  void Done(int64_t count);

 private:
  std::string m_prefix;
  int64_t m_total;
  int m_shownPercent = -1;
  bool m_terminal;
};

}  // namespace tool_files
