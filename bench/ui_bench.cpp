// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Opening and closing a list screen (the main screen's template, bar, two columns and row
// icon) holding 10, 100 and 1,000 rows, filled with redrawing off, against the same screen with
// no rows. The "ratio_to_empty" counter says how many empty-screen openings one opening with
// rows costs, both measured in the same run; "per_row_us" is the cost each row adds.
//
// The main screen itself opened on a schedule of 10,000 calls (wake-up scheduling, then one row
// per call), against a plain parse of the same file followed by the list screen filled with as
// many rows: "ratio_to_parse_and_rows" says how many of those one opening of the main list costs.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <pugixml.hpp>
#include <string>

#include "bench/schedule_file.h"
#include "bench/timing.h"
#include "platform/launch/timed_launch.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/screen_driver.h"
#include "resources/resource_ids.h"
#include "resources/resource_table.h"
#include "screens/main_screen.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

int rowsToFill = 0;

INT_PTR ListScreenProcedure(HWND screen, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) {
    return FALSE;
  }
  InitScreenWithBar(screen, IDR_MAIN_BAR);
  RECT client{};
  GetClientRect(screen, &client);
  HWND list = CreateReportList(screen, client);
  AddListColumn(list, 0, u"Caller", client, 0.4);
  AddListColumn(list, 1, u"Ring Time", client, 0.6);
  AttachRowIcons(list, {IDI_CALL});
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < rowsToFill; ++i) {
    const std::u16string name =
        u"Caller " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
    const int row = SetListCell(list, name.c_str(), 0, 0);
    SetListCell(list, u"03-07 14:05:09", 1, row);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  return TRUE;
}

void OpenAndClose(int rows) {
  rowsToFill = rows;
  RunLater([] { EndDialog(NewestScreen(), 0); });
  RunModalScreen(IDD_MAIN, ListScreenProcedure);
}

double SecondsPerOpening(int rows, int runs) {
  return SecondsPerRun(runs, [rows] { OpenAndClose(rows); });
}

void BM_OpenListScreen(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    OpenAndClose(rows);
  }
  // Both sides measured now, one after the other, so the ratio does not depend on the machine.
  const double empty = SecondsPerOpening(0, 20);
  const double filled = SecondsPerOpening(rows, 20);
  state.counters["ratio_to_empty"] = filled / empty;
  state.counters["per_row_us"] = rows > 0 ? (filled - empty) * 1e6 / rows : 0.0;
}
BENCHMARK(BM_OpenListScreen)->Arg(0)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void OpenMainList() {
  RunLater([] { EndDialog(NewestScreen(), 0); });
  MainScreen screen;
  screen.Run();
}

void BM_OpenMainList(benchmark::State& state) {
  const int calls = static_cast<int>(state.range(0));
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("pelorin-ui-bench-" + std::to_string(getpid()));
  WriteFarFutureSchedule(directory, calls);
  SetModuleFileNameForTesting(FromUtf8((directory / "pelorin").string()));
  SetTimedLaunchService([](const std::u16string&, const SYSTEMTIME&) { return true; });
  for (auto _ : state) {
    OpenMainList();
  }
  // Taken in turns, the fastest of each: the machine's other work slows either side at random.
  double mainList = 1e9;
  double parseAndRows = 1e9;
  for (int i = 0; i < 5; ++i) {
    mainList = std::min(mainList, SecondsPerRun(1, OpenMainList));
    parseAndRows = std::min(
        parseAndRows, SecondsPerRun(1, [&] {
          pugi::xml_document document;
          benchmark::DoNotOptimize(document.load_file((directory / "pelorin.xml").c_str()));
          OpenAndClose(calls);
        }));
  }
  state.counters["main_list_ms"] = mainList * 1e3;
  state.counters["parse_and_rows_ms"] = parseAndRows * 1e3;
  state.counters["ratio_to_parse_and_rows"] = mainList / parseAndRows;
  SetTimedLaunchService({});
  SetModuleFileNameForTesting({});
  std::filesystem::remove_all(directory);
}
BENCHMARK(BM_OpenMainList)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string why;
  if (!StartScreenPlatform(argc, argv, &why)) {
    return 1;
  }
  State().instance = &ProgramResources();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
