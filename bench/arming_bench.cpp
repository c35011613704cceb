// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One arming of the timed launch through a real systemd user manager of the bench's own: the
// time CeRunAppAtTime takes, as the main screen's refresh and a ringing launch wait for it.
// "ms" is one arming's milliseconds; "to_systemctl" the same as a multiple of one
// `systemctl --user show-environment` run (a process and one call to the manager), and
// "to_waiter" as a multiple of one arming through pelorin-waiter, both measured in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/timing.h"
#include "platform/launch/timed_launch.h"
#include "platform/launch/waiter_state.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "tests/support/local_time.h"
#include "tests/support/user_manager.h"

namespace {

namespace fs = std::filesystem;
using test_support::LocalCalendar;

constexpr int kBaselineRuns = 20;

void RunSystemctl(const test_support::UserSystemdManager& manager) {
  benchmark::DoNotOptimize(manager.Systemctl({"show-environment"}));
}

void BM_ArmThroughTheUserManager(benchmark::State& state) {
  const fs::path directory =
      fs::temp_directory_path() / ("pelorin-arming-bench-" + std::to_string(getpid()));
  fs::create_directories(directory);
  test_support::UserSystemdManager manager;
  std::string why;
  if (!manager.Start(directory / "manager", &why)) {
    state.SkipWithError(("no user systemd manager here: " + why).c_str());
    return;
  }
  for (const std::string& variable : manager.Variables()) {
    const std::size_t equals = variable.find('=');
    setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
  }
  unsetenv("PELORIN_TIMED_LAUNCH");
  const fs::path program = directory / "pelorin";
  std::ofstream(program) << "#!/bin/sh\n";
  fs::permissions(program, fs::perms::owner_all);
  SetModuleFileNameForTesting(FromUtf8(std::string(PELORIN_BUILD_DIR) + "/pelorin"));
  const std::u16string executable = FromUtf8(program.string());

  const double systemctl = SecondsPerRun(kBaselineRuns, [&] { RunSystemctl(manager); });
  setenv("PELORIN_TIMED_LAUNCH", "waiter", 1);
  std::time_t ring = std::time(nullptr) + 3600;
  const double waiter = SecondsPerRun(kBaselineRuns, [&] {
    const SYSTEMTIME time = LocalCalendar(++ring);
    CeRunAppAtTime(executable, &time);
  });
  unsetenv("PELORIN_TIMED_LAUNCH");

  double seconds = 0;
  int armings = 0;
  for (auto _ : state) {
    const SYSTEMTIME time = LocalCalendar(++ring);
    seconds +=
        SecondsPerRun(1, [&] { benchmark::DoNotOptimize(CeRunAppAtTime(executable, &time)); });
    ++armings;
  }
  const double arming = seconds / armings;
  state.counters["ms"] = arming * 1000;
  state.counters["to_systemctl"] = arming / systemctl;
  state.counters["to_waiter"] = arming / waiter;

  CancelWaiters(program.string());
  SetModuleFileNameForTesting({});
  manager.Stop();
  fs::remove_all(directory);
}
BENCHMARK(BM_ArmThroughTheUserManager)->Iterations(50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
