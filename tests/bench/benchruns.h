// Figures of a timing measured in several runs of one benchmark: each run's
// median and 99th percentile, and the median of each over the runs, so that
// one noisy run on a shared machine neither hides nor makes a figure.
#pragma once
#include <algorithm>
#include <cstdio>
#include <vector>

#include "timingsong.h"

inline double MedianOf(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

inline void ReportRuns(const char* what, const std::vector<TimingFigures>& runs) {
  std::vector<double> medians, p99s;
  for (const auto& f : runs) {
    if (!f.count) continue;
    medians.push_back(f.median);
    p99s.push_back(f.p99);
  }
  if (p99s.empty()) {
    std::printf("%s: nothing measured\n", what);
    return;
  }
  std::printf("%s: over %zu runs, median %.3f ms, 99th percentile %.3f ms (per run:", what, p99s.size(),
              MedianOf(medians), MedianOf(p99s));
  for (size_t i = 0; i < p99s.size(); ++i) std::printf(" %.3f/%.3f", medians[i], p99s[i]);
  std::printf(" ms median/99th)\n");
}
