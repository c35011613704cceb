// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Filling the ringtone browser's list for directories of 100, 1,000 and 10,000 entries, against
// a bare listing of the same directory (names and kinds through std::filesystem). The
// "ratio_to_bare_listing" counter says how many bare listings one fill costs. The fills run
// inside an open browser screen (offscreen unless QT_QPA_PLATFORM says otherwise), so they
// include the list view's rows; redrawing stays off while a fill runs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/timing.h"
#include "platform/files/find_file.h"
#include "platform/system/text.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/testing/screen_driver.h"
#include "resources/resource_table.h"
#include "screens/ringtone_browser.h"
#include "toolkit/process_state.h"

namespace {

namespace fs = std::filesystem;

fs::path& Root() {
  static fs::path root;
  return root;
}

std::string DirectoryName(int entries) {
  return "d" + std::to_string(entries);
}

// A tenth sub-directories; of the files, half MP3 or WAV in mixed case, half other files.
void MakeDirectory(int entries) {
  const fs::path directory = Root() / DirectoryName(entries);
  fs::create_directories(directory);
  for (int i = 0; i < entries; ++i) {
    const std::string stem = "entry " + std::to_string(i);
    if (i % 10 == 0) {
      fs::create_directory(directory / stem);
      continue;
    }
    static const char* const kExtensions[] = {".mp3", ".WAV", ".Mp3", ".txt", ".ogg", ""};
    std::ofstream(directory / (stem + kExtensions[i % 6]));
  }
}

void BareListing(const fs::path& directory) {
  int directories = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    benchmark::DoNotOptimize(entry.path().filename().native().size());
    directories += entry.is_directory() ? 1 : 0;
  }
  benchmark::DoNotOptimize(directories);
}

void FillBrowser(const std::u16string& directory) {
  State().browseDirectory = directory;
  RingtoneBrowser::FillDirectoryList();
}

void BM_FillDirectoryList(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::u16string directory = FromUtf8("/" + DirectoryName(entries) + "/");
  const fs::path hostDirectory = Root() / DirectoryName(entries);
  for (auto _ : state) {
    FillBrowser(directory);
  }
  state.counters["rows"] =
      static_cast<double>(SendMessageW(State().ringtoneList, LVM_GETITEMCOUNT, 0, 0));
  const int runs = entries >= 10000 ? 3 : entries >= 1000 ? 20 : 100;
  const double fill = SecondsPerRun(runs, [&] { FillBrowser(directory); });
  const double bare = SecondsPerRun(runs * 10, [&] { BareListing(hostDirectory); });
  state.counters["ratio_to_bare_listing"] = fill / bare;
}
BENCHMARK(BM_FillDirectoryList)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_BareListing(benchmark::State& state) {
  const fs::path hostDirectory = Root() / DirectoryName(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    BareListing(hostDirectory);
  }
}
BENCHMARK(BM_BareListing)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  std::string why;
  if (!StartScreenPlatform(argc, argv, &why)) {
    std::fprintf(stderr, "browser_bench: %s\n", why.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  Root() = fs::temp_directory_path() / ("pelorin-browser-bench-" + std::to_string(getpid()));
  fs::remove_all(Root());
  for (const int entries : {100, 1000, 10000}) {
    MakeDirectory(entries);
  }
  SetFileRootForTesting(FromUtf8(Root().string()));
  State().instance = &ProgramResources();
  // The benchmarks run while the browser is open, then "Cancel" closes it.
  RunLater([] {
    benchmark::RunSpecifiedBenchmarks();
    PressKey(VK_TSOFT2);
  });
  RingtoneBrowser browser;
  browser.Run();
  benchmark::Shutdown();
  SetFileRootForTesting({});
  fs::remove_all(Root());
  return 0;
}
