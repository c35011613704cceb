// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Time from PlayRingtone to the first sound reaching the audio device, for the default MP3
// ringtone and for a small module. SDL's disk driver stands in for the device, paced like one:
// it takes a buffer, writes it to a file, then waits the buffer's length. The device starts
// taking buffers when the library starts, so a sound set going before the first one is taken
// is heard at once, and one set going just after waits a whole buffer. Counters:
// "ratio_to_buffer" the mean time over the 200 ms mixing buffer, "worst_ratio_to_buffer" the
// longest; "device_period_ratio" the time the device then takes for one more buffer, measured
// in the same run, over the same 200 ms (about 1 when the driver keeps the pace assumed).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "incoming/ringtone_player.h"
#include "platform/sound/fsound.h"
#include "platform/system/text.h"
#include "tests/sound/disk_output.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kBufferSeconds = 0.2;
// What the device takes per buffer: 200 ms at 22050 Hz, stereo, 16-bit. The driver writes
// through a stdio buffer, so a file grows by a little less or more per buffer; half of one
// tells the next buffer apart from the tail of the last.
constexpr std::size_t kBufferBytes = 4410 * 2 * 2;
constexpr auto kPatience = std::chrono::seconds(3);

struct Arrival {
  double firstSound = 0;  // seconds from the call
  double period = 0;      // seconds from the first sound to the next buffer on the device
  bool ok = false;
};

bool HasSound(const char* bytes, std::size_t size) {
  for (std::size_t at = 0; at + 1 < size; at += 2) {
    std::int16_t sample;
    std::memcpy(&sample, bytes + at, 2);
    if (sample != 0) {
      return true;
    }
  }
  return false;
}

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Plays the ringtone on a freshly started library and watches the device file grow.
Arrival Measure(const fs::path& ringtone, const fs::path& deviceFile) {
  Arrival arrival;
  const Clock::time_point start = Clock::now();
  PlayRingtone(FromUtf8(ringtone.string()).c_str());
  const int descriptor = open(deviceFile.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    return arrival;
  }
  std::vector<char> block(1 << 16);
  off_t scanned = 0;
  off_t sizeAtFirstSound = -1;
  while (Clock::now() - start < kPatience) {
    const ssize_t count = pread(descriptor, block.data(), block.size(), scanned);
    if (count <= 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      continue;
    }
    const auto whole = static_cast<std::size_t>(count) & ~std::size_t{1};
    if (sizeAtFirstSound < 0 && HasSound(block.data(), whole)) {
      arrival.firstSound = Since(start);
      sizeAtFirstSound = scanned + count;
    }
    scanned += static_cast<off_t>(whole);
    if (sizeAtFirstSound >= 0 &&
        scanned >= sizeAtFirstSound + static_cast<off_t>(kBufferBytes / 2)) {
      arrival.period = Since(start) - arrival.firstSound;
      arrival.ok = true;
      break;
    }
  }
  close(descriptor);
  return arrival;
}

void Run(benchmark::State& state, const fs::path& ringtone, const fs::path& deviceFile) {
  double firstSound = 0;
  double worst = 0;
  double period = 0;
  int runs = 0;
  for (auto _ : state) {
    const Arrival arrival = Measure(ringtone, deviceFile);
    FSOUND_Close();
    if (!arrival.ok) {
      state.SkipWithError("no sound reached the device");
      break;
    }
    state.SetIterationTime(arrival.firstSound);
    firstSound += arrival.firstSound;
    worst = std::max(worst, arrival.firstSound);
    period += arrival.period;
    ++runs;
  }
  if (runs > 0) {
    state.counters["ratio_to_buffer"] = firstSound / runs / kBufferSeconds;
    state.counters["worst_ratio_to_buffer"] = worst / kBufferSeconds;
    state.counters["device_period_ratio"] = period / runs / kBufferSeconds;
  }
}

struct Setup {
  Setup() {
    directory = fs::temp_directory_path() / ("pelorin-sound-bench-" + std::to_string(getpid()));
    fs::create_directories(directory);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (directory / "device.raw").c_str(), 1);
    // The driver's own pace: one buffer's length between buffers.
    unsetenv("SDL_DISKAUDIODELAY");
    WriteToneModule(directory / "tune.mod");
  }
  ~Setup() { fs::remove_all(directory); }
  fs::path directory;
};

Setup& Files() {
  static Setup setup;
  return setup;
}

void BM_FirstSoundDefaultMp3(benchmark::State& state) {
  const char* source = getenv("PELORIN_SOURCE_DIR");
  const fs::path ringtone =
      fs::path(source != nullptr ? source : PELORIN_SOURCE_DIR) / "resources" / "ringtone1.mp3";
  Run(state, ringtone, Files().directory / "device.raw");
}
BENCHMARK(BM_FirstSoundDefaultMp3)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FirstSoundModule(benchmark::State& state) {
  Run(state, Files().directory / "tune.mod", Files().directory / "device.raw");
}
BENCHMARK(BM_FirstSoundModule)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
