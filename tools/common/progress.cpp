#include "tools/common/progress.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace tool_files {

Progress::Progress(std::string tool, std::string what, int64_t total)
    : m_prefix(tool + ": " + what + " "), m_total(total), m_terminal(isatty(2) != 0) {}

Progress::~Progress() {
  if (m_terminal && m_shownPercent >= 0) std::fprintf(stderr, "\r%*s\r", 60, "");
}

void Progress::Done(int64_t count) {
  const int percent = m_total > 0 ? static_cast<int>(count * 100 / m_total) : 100;
  // Redrawn once a percent: a terminal is slow next to the work.
  if (!m_terminal || percent == m_shownPercent) return;
  m_shownPercent = percent;
  std::fprintf(stderr, "\r%s%lld/%lld (%d%%)", m_prefix.c_str(), static_cast<long long>(count),
               static_cast<long long>(m_total), percent);
  std::fflush(stderr);
}

}  // namespace tool_files
