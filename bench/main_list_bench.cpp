// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A user launch's cold start, from the process start to the main list painted, with 0, 10 and
// 100 scheduled calls (and an empty screen of the program's own platform), against the cold
// start of a minimal Qt program that opens one window, measured in the same run. Counters:
// "vs_qt_window" the time as a multiple of the minimal program's ("vs_qt_text_window" of the
// same window painting a line of text), "exit_vs_qt_window" the same for the whole process,
// start to end (the main screen's end, which no one waits for once the window has gone, stops
// its file watch: closing an inotify instance waits for the kernel), "peak_rss_kb" and
// "rss_vs_qt_window" the child's peak resident memory, "libraries" and
// "libraries_vs_qt_window" the shared objects it had mapped once painted. Offscreen by default.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/schedule_file.h"
#include "bench/timing.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Launch {
  double seconds;  // to the first paint
  long peakKilobytes;
  bool ok;
  int libraries = 0;  // as the program said once painted
  double toExit = 0;  // to the process's end
};

fs::path Beside(const char* name) {
  return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

fs::path PrepareDirectory(int calls) {
  const fs::path directory =
      fs::temp_directory_path() /
      ("pelorin-cold-" + std::to_string(getpid()) + "-" + std::to_string(calls));
  WriteFarFutureSchedule(directory, calls);
  return directory;
}

// Runs the probe in `mode` on `directory`, or the minimal Qt program when `mode` is empty or
// "text" (the window painting a line of text).
Launch LaunchOnce(const std::string& mode, const fs::path& directory) {
  const bool baseline = mode.empty() || mode == "text";
  std::string program = Beside(baseline ? "qt_window_baseline" : "cold_start_probe").string();
  std::string modeArgument = mode;
  std::string directoryArgument = directory.string();
  char* probeArguments[] = {program.data(), modeArgument.data(), directoryArgument.data(), nullptr};
  char* baselineArguments[] = {program.data(), mode.empty() ? nullptr : modeArgument.data(),
                               nullptr};
  char** argv = baseline ? baselineArguments : probeArguments;
  timespec started{};
  clock_gettime(CLOCK_MONOTONIC, &started);
  // Qt's warnings about the environment, and the baseline's paint time, would drown the results.
  const fs::path said = directory / "said.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    return {0, 0, false};
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  timespec ended{};
  clock_gettime(CLOCK_MONOTONIC, &ended);
  const auto since = [&](long long nanoseconds) {
    return static_cast<double>(nanoseconds - (started.tv_sec * 1000000000LL + started.tv_nsec)) *
           1e-9;
  };
  Launch launch{0, usage.ru_maxrss, WIFEXITED(status) && WEXITSTATUS(status) == 0};
  launch.toExit = since(ended.tv_sec * 1000000000LL + ended.tv_nsec);
  std::ifstream output(said);
  long long painted = 0;
  for (std::string word; output >> word;) {
    if (word == "libraries") {
      output >> launch.libraries;
    } else if (word == "paint") {
      output >> painted;
    }
  }
  launch.seconds = since(painted);
  launch.ok = launch.ok && painted > 0;
  return launch;
}

// Each launch of the probe follows one of the minimal Qt program and one of the same window
// painting a line of text (the font database and a font, which every screen needs), so that
// all three meet the same machine: a baseline measured apart drifts with what else runs. The
// ratios are of medians.
void Measure(benchmark::State& state, const std::string& mode, int calls) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  const fs::path directory = PrepareDirectory(calls);
  std::vector<double> probe, probeToExit, plain, plainToExit, text;
  long peak = 0;
  long plainPeak = 0;
  int libraries = 0;
  int plainLibraries = 0;
  for (auto _ : state) {
    const Launch window = LaunchOnce("", directory);
    const Launch textWindow = LaunchOnce("text", directory);
    const Launch launch = LaunchOnce(mode, directory);
    if (!window.ok || !textWindow.ok) {
      state.SkipWithError("the minimal Qt program did not start");
      break;
    }
    if (!launch.ok) {
      state.SkipWithError("the probe did not end well");
      break;
    }
    state.SetIterationTime(launch.seconds);
    probe.push_back(launch.seconds);
    probeToExit.push_back(launch.toExit);
    plain.push_back(window.seconds);
    plainToExit.push_back(window.toExit);
    text.push_back(textWindow.seconds);
    peak = std::max(peak, launch.peakKilobytes);
    plainPeak = std::max(plainPeak, window.peakKilobytes);
    libraries = std::max(libraries, launch.libraries);
    plainLibraries = std::max(plainLibraries, window.libraries);
  }
  fs::remove_all(directory);
  if (!probe.empty()) {
    state.counters["vs_qt_window"] = Median(probe) / Median(plain);
    state.counters["vs_qt_text_window"] = Median(probe) / Median(text);
    state.counters["exit_vs_qt_window"] = Median(probeToExit) / Median(plainToExit);
    state.counters["peak_rss_kb"] = static_cast<double>(peak);
    state.counters["rss_vs_qt_window"] = static_cast<double>(peak) / static_cast<double>(plainPeak);
    state.counters["libraries"] = libraries;
    if (plainLibraries > 0) {
      state.counters["libraries_vs_qt_window"] = static_cast<double>(libraries) / plainLibraries;
    }
  }
}

void EmptyScreenColdStart(benchmark::State& state) {
  Measure(state, "empty", 0);
}
void MainListColdStart(benchmark::State& state) {
  Measure(state, "main", static_cast<int>(state.range(0)));
}

BENCHMARK(EmptyScreenColdStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(MainListColdStart)
    ->Arg(0)
    ->Arg(10)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
