// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One user launch, started cold, up to its first screen painted, then ended. Run by
// main_list_bench in a fresh process per measurement:
//   cold_start_probe main DIRECTORY   the main screen listing DIRECTORY/pelorin.xml
//   cold_start_probe empty DIRECTORY  an empty screen of the same platform: the baseline
// Both paint their whole frame into a picture in memory (encoding it as a file would load Qt's
// image plugins, a cost of the measurement, not of the program), write the monotonic clock
// (nanoseconds) and the libraries mapped on stdout, and end.
#include <cstdio>
#include <string>

#include "bench/timing.h"
#include "platform/launch/timed_launch.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/screen_driver.h"
#include "platform/ui/testing/screen_picture.h"
#include "resources/resource_ids.h"
#include "resources/resource_table.h"
#include "screens/main_screen.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

INT_PTR EmptyProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  if (message == WM_INITDIALOG) {
    InitScreenWithBar(screen, IDR_MAIN_BAR);
    return TRUE;
  }
  if (message == WM_COMMAND && wParam == IDCANCEL) {
    EndDialog(screen, -1);
  }
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    return 2;
  }
  const std::string mode = argv[1];
  const std::string directory = argv[2];
  std::string why;
  if (!StartScreenPlatform(argc, argv, &why)) {
    return 3;
  }
  State().instance = &ProgramResources();
  SetModuleFileNameForTesting(FromUtf8(directory + "/pelorin"));
  // The launch is measured, not armed.
  SetTimedLaunchService([](const std::u16string&, const SYSTEMTIME&) { return true; });
  RunLater([] {
    if (!PaintScreenPicture(NewestScreen())) {
      std::exit(4);
    }
    std::printf("paint %lld\nlibraries %d\n", MonotonicNanoseconds(), MappedLibraries());
    std::fflush(stdout);
    PressKey(VK_ESCAPE);
  });
  if (mode == "main") {
    MainScreen screen;
    screen.Run();
  } else {
    RunModalScreen(IDD_MAIN, EmptyProcedure);
  }
  return 0;
}
