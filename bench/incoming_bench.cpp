// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A timed launch's cold start: from the moment the process is started to the incoming-call
// screen first painted and to the ringtone's first audible samples, as multiples of the cold
// start of a minimal Qt program that opens one window (qt_window_baseline), measured in the
// same run. Every figure is the median of many fresh processes.
//
//   TimedLaunchColdStart   incoming_probe: the program's timed launch with the first paint timed
//   ProgramColdStartToSound  the built program itself ("pelorin AppRunAtTime"), sound only
//   TimedLaunchWithSilentNotifications  as TimedLaunchColdStart, on a session bus whose
//                          notification service never answers (it must cost nothing)
//
// Counters: paint_ms / sound_ms (medians) and paint_vs_qt_window / sound_vs_qt_window, and
// the same against the window painting a line of text (_vs_qt_text_window); the
// silent service's also paint_vs_no_bus / sound_vs_no_bus, against TimedLaunchColdStart. The
// sound is heard through SDL's disk driver writing into a FIFO that this program reads.
// Offscreen unless QT_QPA_PLATFORM says otherwise; no session bus but for the silent service's
// runs, so the backlight request fails at once.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "platform/system/clock.h"
#include "tests/support/local_time.h"
#include "tests/support/session_bus.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 15;
constexpr double kGiveUpSeconds = 20;
// A sample louder than this (of 32767) is heard; the mixer's silence is exactly 0.
constexpr int kAudibleLevel = 256;

double Monotonic() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

fs::path BenchDirectory() {
  return fs::read_symlink("/proc/self/exe").parent_path();
}

// A program directory of its own: a copy of the program beside its ringtone, a FIFO for the
// sound, and the schedule file written afresh before each launch.
class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/pelorin-incoming-bench-XXXXXX";
    path_ = mkdtemp(pattern);
    const fs::path build = BenchDirectory().parent_path();
    for (const char* file : {"pelorin", "pelorin-sound.so", "ringtone1.mp3", "click.wav"}) {
      fs::copy_file(build / file, path_ / file);
    }
    mkfifo(Fifo().c_str(), 0600);
    // Read and write ends held here: opening never blocks and reading never sees an end.
    fifo_ = open(Fifo().c_str(), O_RDWR | O_NONBLOCK);
  }
  ~Scratch() {
    close(fifo_);
    fs::remove_all(path_);
  }

  const fs::path& path() const { return path_; }
  fs::path Fifo() const { return path_ / "sound.fifo"; }
  int fifo() const { return fifo_; }

  // One call due now, vibrating, with the default ringtone.
  void WriteDueCall() const {
    const FILETIME time = test_support::LocalFileTime(std::time(nullptr));
    std::ofstream(path_ / "pelorin.xml")
        << "<?xml version=\"1.0\"?>\n<CallInfo><CI Name=\"Bench\" PhoneNo=\"\" Ringtone=\""
        << (path_ / "ringtone1.mp3").string() << "\" Vibrate=\"1\" Index=\"1\" CallTimeHigh=\""
        << time.dwHighDateTime << "\" CallTimeLow=\"" << time.dwLowDateTime << "\"/></CallInfo>\n";
  }

  void Drain() const {
    char buffer[65536];
    while (read(fifo_, buffer, sizeof buffer) > 0) {
    }
  }

 private:
  fs::path path_;
  int fifo_ = -1;
};

// Seconds from the start of the process to its first paint and its first audible sample;
// negative when not seen (or not asked for).
struct Launch {
  double paint = -1;
  double sound = -1;
};

bool HasAudibleSample(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i + 1 < count; i += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (sample > kAudibleLevel || sample < -kAudibleLevel) {
      return true;
    }
  }
  return false;
}

Launch LaunchOnce(std::vector<std::string> arguments, const Scratch* sound, bool timesPaint) {
  int output[2];
  if (pipe(output) != 0) {
    return {};
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  // SDL's warning about its disk driver and Qt's notes would drown the table.
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const double start = Monotonic();
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  Launch launch;
  if (error != 0) {
    close(output[0]);
    return launch;
  }
  std::string text;
  while (Monotonic() - start < kGiveUpSeconds) {
    const bool needPaint = timesPaint && launch.paint < 0;
    const bool needSound = sound != nullptr && launch.sound < 0;
    if (!needPaint && !needSound) {
      break;
    }
    pollfd watched[2] = {{output[0], POLLIN, 0}, {sound ? sound->fifo() : -1, POLLIN, 0}};
    if (poll(watched, 2, 100) <= 0) {
      continue;
    }
    char buffer[65536];
    if (watched[0].revents & (POLLIN | POLLHUP)) {
      const ssize_t count = read(output[0], buffer, sizeof buffer);
      if (count <= 0) {
        watched[0].fd = -1;
        if (needPaint) {
          break;  // ended without painting
        }
      } else {
        text.append(buffer, static_cast<std::size_t>(count));
        const std::size_t at = text.find("paint ");
        if (needPaint && at != std::string::npos && text.find('\n', at) != std::string::npos) {
          launch.paint = std::stod(text.substr(at + 6)) * 1e-9 - start;
        }
      }
    }
    if (watched[1].revents & POLLIN) {
      const ssize_t count = read(sound->fifo(), buffer, sizeof buffer);
      if (count > 0 && needSound && HasAudibleSample(buffer, static_cast<std::size_t>(count))) {
        launch.sound = Monotonic() - start;
      }
    }
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  close(output[0]);
  if (sound != nullptr) {
    sound->Drain();
  }
  return launch;
}

void PrepareEnvironment(const Scratch& scratch) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", scratch.Fifo().c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (scratch.path() / "no-bus").string()).c_str(),
         1);
}

Scratch& SharedScratch() {
  static Scratch scratch;
  PrepareEnvironment(scratch);
  return scratch;
}

// The first paint of the minimal Qt window, or with `text` of the same window painting one line
// of text, which needs the font database and a font, as every screen does; negative when not
// seen.
double QtWindowPaint(bool text) {
  std::vector<std::string> arguments = {(BenchDirectory() / "qt_window_baseline").string()};
  if (text) {
    arguments.push_back("text");
  }
  return LaunchOnce(arguments, nullptr, true).paint;
}

// The baseline: median first paint of the minimal Qt window (or the one with text), measured
// once per run.
double QtWindowMedian(bool text = false) {
  const auto measure = [](bool withText) {
    SharedScratch();
    std::vector<double> paints;
    for (int i = 0; i < kRuns; ++i) {
      if (const double paint = QtWindowPaint(withText); paint > 0) {
        paints.push_back(paint);
      }
    }
    return Median(paints);
  };
  static const double plain = measure(false);
  static const double withText = measure(true);
  return text ? withText : plain;
}

void Report(benchmark::State& state, const char* name, const std::vector<double>& samples,
            double baseline, double textBaseline) {
  if (samples.empty()) {
    return;
  }
  const double median = Median(samples);
  state.counters[std::string(name) + "_ms"] = median * 1000;
  state.counters[std::string(name) + "_vs_qt_window"] = median / baseline;
  state.counters[std::string(name) + "_vs_qt_text_window"] = median / textBaseline;
}

void QtWindowColdStart(benchmark::State& state) {
  const double baseline = QtWindowMedian();
  std::vector<double> paints;
  for (auto _ : state) {
    const Launch launch =
        LaunchOnce({(BenchDirectory() / "qt_window_baseline").string()}, nullptr, true);
    if (launch.paint < 0) {
      state.SkipWithError("the Qt window was not painted");
      break;
    }
    state.SetIterationTime(launch.paint);
    paints.push_back(launch.paint);
  }
  Report(state, "paint", paints, baseline, QtWindowMedian(true));
}

// TimedLaunchColdStart's medians, for the runs on a bus to be compared with.
double noBusPaint = 0;
double noBusSound = 0;

// Each timed launch follows a launch of both minimal windows, so that the three meet the same
// machine (a baseline measured apart drifts with what else runs); the ratios are of medians.
void TimedLaunchRuns(benchmark::State& state, bool silentNotifications) {
  Scratch& scratch = SharedScratch();
  test_support::PrivateSessionBus bus;
  if (silentNotifications) {
    const fs::path standIns =
        fs::path(PELORIN_SOURCE_DIR) / "tests" / "screens" / "stand_in_services.py";
    if (!bus.Start(scratch.path()) || !bus.StartService({"/usr/bin/python3", standIns.string(),
                                                         "silent", "org.freedesktop.Notifications"},
                                                        scratch.path() / "silent.txt", "ready")) {
      state.SkipWithError("no bus with a silent notification service");
      return;
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
  }
  std::vector<double> paints;
  std::vector<double> sounds;
  std::vector<double> windows;
  std::vector<double> textWindows;
  for (auto _ : state) {
    windows.push_back(QtWindowPaint(false));
    textWindows.push_back(QtWindowPaint(true));
    if (windows.back() < 0 || textWindows.back() < 0) {
      state.SkipWithError("the Qt window was not painted");
      break;
    }
    scratch.WriteDueCall();
    const Launch launch = LaunchOnce(
        {(BenchDirectory() / "incoming_probe").string(), scratch.path().string()}, &scratch, true);
    if (launch.paint < 0 || launch.sound < 0) {
      state.SkipWithError("the timed launch did not paint or was not heard");
      break;
    }
    state.SetIterationTime(std::max(launch.paint, launch.sound));
    paints.push_back(launch.paint);
    sounds.push_back(launch.sound);
  }
  Report(state, "paint", paints, Median(windows), Median(textWindows));
  Report(state, "sound", sounds, Median(windows), Median(textWindows));
  if (!silentNotifications) {
    noBusPaint = Median(paints);
    noBusSound = Median(sounds);
  } else if (noBusPaint > 0 && !paints.empty()) {
    state.counters["paint_vs_no_bus"] = Median(paints) / noBusPaint;
    state.counters["sound_vs_no_bus"] = Median(sounds) / noBusSound;
  }
  PrepareEnvironment(scratch);  // no bus again
}

void TimedLaunchColdStart(benchmark::State& state) {
  TimedLaunchRuns(state, false);
}

void TimedLaunchWithSilentNotifications(benchmark::State& state) {
  TimedLaunchRuns(state, true);
}

void ProgramColdStartToSound(benchmark::State& state) {
  const double baseline = QtWindowMedian();
  Scratch& scratch = SharedScratch();
  std::vector<double> sounds;
  for (auto _ : state) {
    scratch.WriteDueCall();
    const Launch launch =
        LaunchOnce({(scratch.path() / "pelorin").string(), "AppRunAtTime"}, &scratch, false);
    if (launch.sound < 0) {
      state.SkipWithError("the program was not heard");
      break;
    }
    state.SetIterationTime(launch.sound);
    sounds.push_back(launch.sound);
  }
  Report(state, "sound", sounds, baseline, QtWindowMedian(true));
}

BENCHMARK(QtWindowColdStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);
BENCHMARK(TimedLaunchColdStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);
BENCHMARK(TimedLaunchWithSilentNotifications)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRuns);
BENCHMARK(ProgramColdStartToSound)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRuns);

}  // namespace

BENCHMARK_MAIN();
