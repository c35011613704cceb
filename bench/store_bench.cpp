// A list refresh's store work (wake-up scheduling, then CountCalls and n ReadCall) against one
// plain parse of the same file, for schedules of 10, 100 and 1000 calls. The "ratio" counter
// says how many plain parses one refresh costs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>

#include "bench/schedule_file.h"
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

double SecondsPerRun(int runs, auto&& work) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
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
BENCHMARK(BM_ListRefresh)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
