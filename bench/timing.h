// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The benchmarks' clocks: the time one run of some work takes, and the monotonic moment a
// probe prints for its parent to compare with the moment it started the probe.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>
#include <string>
#include <vector>

// Runs `work` `runs` times; the seconds one run took on average.
template <typename Work>
double SecondsPerRun(int runs, Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) {
    work();
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

// How many shared objects the process has mapped: each file named in /proc/self/maps once.
inline int MappedLibraries() {
  std::ifstream maps("/proc/self/maps");
  std::set<std::string> files;
  for (std::string line; std::getline(maps, line);) {
    const std::size_t path = line.find('/');
    if (path != std::string::npos && line.find(".so", path) != std::string::npos) {
      files.insert(line.substr(path));
    }
  }
  return static_cast<int>(files.size());
}

inline long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The middle of `values`, or the mean of the two middle ones; 0 for none.
inline double Median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
