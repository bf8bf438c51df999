// A disk under the files of one folder, following a run change by change, that
// tells what a power cut could leave of them: every write since its file's
// last flush lost, kept or torn in 512-byte sectors, in any order, and every
// name created or removed since the folder's last flush there or not.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/io_faults.h"

namespace ebook_testing {

// The files by name; a name that is not there is missing.
using DiskState = std::map<platform::Path, std::string>;

// A change the io fault hook was asked for, with the files as the system saw
// them once it was made.
struct DiskChange {
  platform::IoOperation operation;
  // The file flushed, or the name created or removed; empty for a folder's
  // flush and for writes and truncations, which show in `after`.
  platform::Path target;
  DiskState after;
};

class SimulatedDisk {
 public:
  static constexpr size_t kSector = 512;

  // Starts with everything on the disk.
  explicit SimulatedDisk(const DiskState& durable) : m_current(durable), m_durable(durable) {
    for (const auto& entry : durable) m_durableNames.insert(entry.first);
  }

  void Apply(const DiskChange& change) {
    using platform::IoOperation;
    const bool named = !change.target.empty();
    if (change.operation == IoOperation::Write && named) {  // a new file
      m_current[change.target] = m_durable[change.target] = "";
      Forget(change.target);
    }
    if (change.operation == IoOperation::Remove) m_current.erase(change.target);
    // What reached the file, whichever change sent it there.
    for (const auto& [file, bytes] : change.after) {
      auto now = m_current.find(file);
      ASSERT_NE(now, m_current.end()) << file << " appeared without being created";
      AddWrites(file, now->second, bytes);
      now->second = bytes;
    }
    ASSERT_EQ(change.after.size(), m_current.size()) << "a name went without being removed";
    if (change.operation == IoOperation::Flush && named) {
      m_durable[change.target] = m_current[change.target];
      Forget(change.target);
    } else if (change.operation == IoOperation::Flush) {
      m_durableNames.clear();
      for (const auto& entry : m_current) m_durableNames.insert(entry.first);
    }
  }

  // Every state a power cut could leave now when there are few; otherwise
  // the sectors kept up to each one (a write torn in order), each sector
  // alone lost, and a few drawn from `random`. Each state once.
  std::vector<DiskState> PowerLossStates(std::mt19937& random) const {
    const size_t count = m_pending.size();
    std::vector<std::vector<bool>> choices;
    const auto choose = [&](auto keeps) {
      std::vector<bool> kept(count);
      for (size_t i = 0; i < count; ++i) kept[i] = keeps(i);
      choices.push_back(kept);
    };
    for (unsigned mask = 0; count <= 4 && mask < (1u << count); ++mask)
      choose([&](size_t i) { return mask >> i & 1; });
    std::bernoulli_distribution coin;
    for (size_t cut = 0; count > 4 && cut <= count; ++cut) {
      choose([&](size_t i) { return i < cut; });
      choose([&](size_t i) { return i != cut; });
      choose([&](size_t) { return coin(random); });
    }
    // Names created or removed since the folder's flush may be either way.
    std::set<platform::Path> sure, unsure;
    for (const auto& entry : m_current)
      (m_durableNames.count(entry.first) ? sure : unsure).insert(entry.first);
    for (const platform::Path& name : m_durableNames)
      if (!m_current.count(name)) unsure.insert(name);
    const std::vector<platform::Path> open(unsure.begin(), unsure.end());
    std::set<DiskState> states;
    for (unsigned mask = 0; mask < (1u << open.size()); ++mask) {
      std::set<platform::Path> names = sure;
      for (size_t i = 0; i < open.size(); ++i)
        if (mask >> i & 1) names.insert(open[i]);
      for (const auto& kept : choices) states.insert(StateWith(kept, names));
    }
    return {states.begin(), states.end()};
  }

  // What a process stopped now leaves: every change kept.
  DiskState Current() const { return m_current; }
  // Only what was flushed.
  DiskState Flushed() const {
    return StateWith(std::vector<bool>(m_pending.size(), false), m_durableNames);
  }

 private:
  // A sector's worth of one write, or a truncation (`cutTo`).
  struct Piece {
    platform::Path file;
    size_t offset;
    std::string bytes;
    std::optional<size_t> cutTo;
  };

  void Forget(const platform::Path& file) {
    std::erase_if(m_pending, [&](const Piece& piece) { return piece.file == file; });
  }
  void AddWrites(const platform::Path& file, const std::string& before, const std::string& after) {
    const size_t common = std::min(before.size(), after.size());
    size_t begin = 0, end = after.size();
    while (begin < common && before[begin] == after[begin]) ++begin;
    while (after.size() <= before.size() && end > begin && before[end - 1] == after[end - 1]) --end;
    for (size_t at = begin; at < end;) {
      const size_t next = std::min(end, (at / kSector + 1) * kSector);
      m_pending.push_back({file, at, after.substr(at, next - at), std::nullopt});
      at = next;
    }
    if (after.size() < before.size()) m_pending.push_back({file, 0, "", after.size()});
  }
  DiskState StateWith(const std::vector<bool>& kept, const std::set<platform::Path>& names) const {
    DiskState state;
    for (const platform::Path& name : names) {
      const auto durable = m_durable.find(name);
      std::string bytes = durable == m_durable.end() ? "" : durable->second;
      for (size_t i = 0; i < m_pending.size(); ++i) {
        const Piece& piece = m_pending[i];
        if (!kept[i] || piece.file != name) continue;
        // A truncation's piece is empty at offset 0.
        bytes.resize(piece.cutTo ? *piece.cutTo
                                 : std::max(bytes.size(), piece.offset + piece.bytes.size()));
        bytes.replace(piece.offset, piece.bytes.size(), piece.bytes);
      }
      state[name] = std::move(bytes);
    }
    return state;
  }

  DiskState m_current;
  DiskState m_durable;  // what each file's own flushes have put on the disk
  std::set<platform::Path> m_durableNames;
  std::vector<Piece> m_pending;
};

}  // namespace ebook_testing
