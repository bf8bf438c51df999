// Many other processes, each holding open descriptors, as on a busy desktop:
// what a scan of every process's descriptors and mappings has to walk.
#pragma once

#include <sys/types.h>

#include <vector>

namespace bench {

class ProcessCrowd {
 public:
  // Returns once every process holds its descriptors.
  ProcessCrowd(int processes, int descriptorsEach);
  ~ProcessCrowd();  // kills and reaps every one
  ProcessCrowd(const ProcessCrowd&) = delete;
  ProcessCrowd& operator=(const ProcessCrowd&) = delete;

  int Size() const { return static_cast<int>(m_pids.size()); }

 private:
  std::vector<pid_t> m_pids;
};

}  // namespace bench
