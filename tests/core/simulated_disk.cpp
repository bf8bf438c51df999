#include "tests/core/simulated_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace ebook_testing {

using platform::IoOperation;

SimulatedDisk::SimulatedDisk(DiskState durable)
    : m_current(durable), m_durable(std::move(durable)) {
  for (const auto& entry : m_current) m_durableNames.insert(entry.first);
}

void SimulatedDisk::Apply(const DiskChange& change) {
  const bool named = !change.target.empty();
  if (change.operation == IoOperation::Write && named) {  // a new file
    m_current[change.target] = m_durable[change.target] = "";
    std::erase_if(m_pending, [&](const Piece& piece) { return piece.file == change.target; });
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
  if (change.operation != IoOperation::Flush) return;
  if (named) {
    m_durable[change.target] = m_current[change.target];
    std::erase_if(m_pending, [&](const Piece& piece) { return piece.file == change.target; });
  } else {
    m_durableNames.clear();
    for (const auto& entry : m_current) m_durableNames.insert(entry.first);
  }
}

void SimulatedDisk::AddWrites(const std::string& file, const std::string& before,
                              const std::string& after) {
  const size_t common = std::min(before.size(), after.size());
  size_t begin = 0;
  while (begin < common && before[begin] == after[begin]) ++begin;
  size_t end = after.size();
  if (after.size() <= before.size()) {
    while (end > begin && before[end - 1] == after[end - 1]) --end;
  }
  if (begin < end) {
    ++m_writes;
    for (size_t at = begin; at < end;) {
      const size_t next = std::min(end, (at / kSector + 1) * kSector);
      m_pending.push_back({file, m_writes, at, after.substr(at, next - at), std::nullopt});
      at = next;
    }
  }
  if (after.size() < before.size()) m_pending.push_back({file, ++m_writes, 0, "", after.size()});
}

DiskState SimulatedDisk::StateWith(const std::vector<bool>& kept,
                                   const std::set<std::string>& names) const {
  DiskState state;
  for (const std::string& name : names) {
    const auto durable = m_durable.find(name);
    std::string bytes = durable == m_durable.end() ? "" : durable->second;
    for (size_t i = 0; i < m_pending.size(); ++i) {
      const Piece& piece = m_pending[i];
      if (!kept[i] || piece.file != name) continue;
      if (piece.cutTo) {
        bytes.resize(*piece.cutTo);
        continue;
      }
      if (bytes.size() < piece.offset + piece.bytes.size()) {
        bytes.resize(piece.offset + piece.bytes.size(), '\0');
      }
      bytes.replace(piece.offset, piece.bytes.size(), piece.bytes);
    }
    state[name] = std::move(bytes);
  }
  return state;
}

DiskState SimulatedDisk::Flushed() const {
  return StateWith(std::vector<bool>(m_pending.size(), false), m_durableNames);
}

std::vector<DiskState> SimulatedDisk::PowerLossStates(std::mt19937& random) const {
  const size_t count = m_pending.size();
  std::vector<std::vector<bool>> choices;
  if (count <= 4) {
    for (unsigned mask = 0; mask < (1u << count); ++mask) {
      std::vector<bool> kept(count);
      for (size_t i = 0; i < count; ++i) kept[i] = (mask >> i) & 1;
      choices.push_back(kept);
    }
  } else {
    choices.push_back(std::vector<bool>(count, false));
    choices.push_back(std::vector<bool>(count, true));
    std::map<int, std::vector<size_t>> sectorsOf;
    for (size_t i = 0; i < count; ++i) sectorsOf[m_pending[i].write].push_back(i);
    for (const auto& [write, sectors] : sectorsOf) {
      // Torn in order: every earlier write kept, the first sector of this one
      // (nothing of a one-sector write), nothing later.
      std::vector<bool> inOrder(count);
      for (size_t i = 0; i < count; ++i) inOrder[i] = m_pending[i].write < write;
      if (sectors.size() > 1) inOrder[sectors[0]] = true;
      // Torn alone: every other write kept, every other sector of this one lost.
      std::vector<bool> alone(count, true);
      for (size_t i = 0; i < sectors.size(); i += 2) alone[sectors[i]] = false;
      choices.push_back(inOrder);
      choices.push_back(alone);
    }
    std::bernoulli_distribution coin;
    for (int i = 0; i < 4; ++i) {
      std::vector<bool> kept(count);
      for (size_t j = 0; j < count; ++j) kept[j] = coin(random);
      choices.push_back(kept);
    }
  }
  // Names created or removed since the folder's flush may be either way.
  std::set<std::string> sure, unsure;
  for (const auto& entry : m_current) {
    (m_durableNames.count(entry.first) ? sure : unsure).insert(entry.first);
  }
  for (const std::string& name : m_durableNames) {
    if (!m_current.count(name)) unsure.insert(name);
  }
  const std::vector<std::string> open(unsure.begin(), unsure.end());
  std::set<DiskState> states;
  for (unsigned mask = 0; mask < (1u << open.size()); ++mask) {
    std::set<std::string> names = sure;
    for (size_t i = 0; i < open.size(); ++i) {
      if ((mask >> i) & 1) names.insert(open[i]);
    }
    for (const auto& kept : choices) states.insert(StateWith(kept, names));
  }
  return {states.begin(), states.end()};
}

}  // namespace ebook_testing
