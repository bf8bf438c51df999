// Best of several runs of one piece of work, in milliseconds.
#pragma once

#include <chrono>

namespace bench {

inline constexpr int kRuns = 10;

// `prepare` runs untimed before each run.
template <typename Prepare, typename Work>
double BestOf(Prepare prepare, Work work, int runs = kRuns) {
  double best = 1e300;
  for (int run = 0; run < runs; ++run) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  return best;
}

template <typename Work>
double BestOf(Work work) {
  return BestOf([] {}, work);
}

}  // namespace bench
