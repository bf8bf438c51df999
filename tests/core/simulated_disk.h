// A disk under the files of one folder, following a run change by change, that
// tells what a power cut could leave of them: every write since its file's
// last flush lost, kept or torn in 512-byte sectors, in any order, and every
// name created or removed since the folder's last flush there or not.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/io_faults.h"

namespace ebook_testing {

// The files by name; a name that is not there is missing.
using DiskState = std::map<std::string, std::string>;

// A change the io fault hook was asked for, with the files as the system saw
// them once it was made.
struct DiskChange {
  platform::IoOperation operation;
  // The file flushed, or the name created or removed; empty for a folder's
  // flush and for writes and truncations, which show in `after`.
  std::string target;
  DiskState after;
};

class SimulatedDisk {
 public:
  static constexpr size_t kSector = 512;

  // Starts with everything on the disk.
  explicit SimulatedDisk(DiskState durable);
  void Apply(const DiskChange& change);

  // Every state a power cut could leave now when there are few; otherwise
  // all lost, all kept, each write torn in order and torn alone, and a
  // few drawn from `random`. Each state once.
  std::vector<DiskState> PowerLossStates(std::mt19937& random) const;
  // What a process stopped now leaves: every change kept.
  DiskState Current() const { return m_current; }
  // Only what was flushed.
  DiskState Flushed() const;

 private:
  // A sector's worth of one write, or a truncation (`cutTo`).
  struct Piece {
    std::string file;
    int write;
    size_t offset;
    std::string bytes;
    std::optional<size_t> cutTo;
  };
  void AddWrites(const std::string& file, const std::string& before, const std::string& after);
  DiskState StateWith(const std::vector<bool>& kept, const std::set<std::string>& names) const;

  DiskState m_current;
  DiskState m_durable;  // what each file's own flushes have put on the disk
  std::set<std::string> m_durableNames;
  std::vector<Piece> m_pending;
  int m_writes = 0;
};

}  // namespace ebook_testing
