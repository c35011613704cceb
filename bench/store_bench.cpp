// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A list refresh's store work (wake-up scheduling, then CountCalls and n ReadCall) against one
// plain parse of the same file, for schedules of 10, 100, 1,000 and 10,000 calls. The "ratio"
// counter says how many plain parses one refresh costs.
//
// A timed launch's store work on a hostile file nested 1,000,000 deep (7 MB) whose container
// holds a past call and a later one: the wake-up scheduling (whose purge saves the file), then
// the due call and the rows. "saved_to_loaded" is the saved file's size as a multiple of the
// loaded one's, "peak_rss_to_file" the process's peak memory as a multiple of the file's size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>

#include "bench/schedule_file.h"
#include "bench/timing.h"
#include "platform/launch/timed_launch.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "store/schedule_store.h"
#include "store/wakeup_scheduler.h"

namespace {

namespace fs = std::filesystem;

fs::path PrepareSchedule(int calls) {
  const fs::path directory =
      fs::temp_directory_path() / ("pelorin-bench-" + std::to_string(getpid()));
  WriteFarFutureSchedule(directory, calls);
  SetModuleFileNameForTesting(FromUtf8((directory / "pelorin").string()));
  SetTimedLaunchService([](const std::u16string&, const SYSTEMTIME&) { return true; });
  return directory;
}

void RefreshStoreWork() {
  ScheduleStore store;
  WakeupScheduler(store);
  const int count = store.CountCalls();
  CallRecord record{};
  for (int i = 0; i < count; ++i) {
    record = CallRecord{};
    benchmark::DoNotOptimize(store.ReadCall(i, record));
  }
}

void PlainParse(const fs::path& file) {
  pugi::xml_document document;
  benchmark::DoNotOptimize(document.load_file(file.c_str()));
}

void BM_ListRefresh(benchmark::State& state) {
  const int calls = static_cast<int>(state.range(0));
  const fs::path directory = PrepareSchedule(calls);
  for (auto _ : state) {
    RefreshStoreWork();
  }
  const int runs = calls >= 1000 ? 2 : 20;
  const double refresh = SecondsPerRun(runs, RefreshStoreWork);
  const double parse = SecondsPerRun(runs * 10, [&] { PlainParse(directory / "pelorin.xml"); });
  state.counters["ratio_to_one_parse"] = refresh / parse;
  fs::remove_all(directory);
}
BENCHMARK(BM_ListRefresh)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void WriteDeepSchedule(const fs::path& file, int depth) {
  std::ofstream out(file);
  for (int i = 0; i < depth; ++i) {
    out << "<a>";
  }
  // Far in the past and far in the future.
  out << "<CallInfo><CI Name=\"past\" CallTimeHigh=\"1\"/>"
      << "<CI Name=\"later\" CallTimeHigh=\"4000000000\"/></CallInfo>";
  for (int i = 0; i < depth; ++i) {
    out << "</a>";
  }
}

void BM_DeepFileLaunch(benchmark::State& state) {
  const fs::path directory = PrepareSchedule(0);
  const fs::path file = directory / "pelorin.xml";
  double loaded = 0;
  double saved = 0;
  for (auto _ : state) {
    state.PauseTiming();
    WriteDeepSchedule(file, static_cast<int>(state.range(0)));
    loaded = static_cast<double>(fs::file_size(file));
    state.ResumeTiming();
    ScheduleStore store;
    WakeupScheduler(store);
    CallRecord record{};
    benchmark::DoNotOptimize(store.FindDueCall(record));
    for (int i = 0; i < store.CountCalls(); ++i) {
      benchmark::DoNotOptimize(store.ReadCall(i, record));
    }
    saved = static_cast<double>(fs::file_size(file));
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["saved_to_loaded"] = saved / loaded;
  state.counters["peak_rss_to_file"] = static_cast<double>(usage.ru_maxrss) * 1024.0 / loaded;
  fs::remove_all(directory);
}
BENCHMARK(BM_DeepFileLaunch)->Arg(1'000'000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
