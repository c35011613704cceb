// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One timed launch, started cold, as the program's entry runs it: the screen platform, the
// program's resources, then the incoming-call screen for the call due in DIRECTORY/pelorin.xml.
// When the screen is first painted it writes the monotonic clock (nanoseconds) on stdout:
//   incoming_probe DIRECTORY
// It rings until it is killed; incoming_bench hears the sound through SDL's disk driver. With
// a second argument, "paint", it ends right after that paint instead (for perf stat and the
// like: incoming_probe DIRECTORY paint).
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "bench/timing.h"
#include "incoming/incoming_call_screen.h"
#include "platform/launch/timed_launch.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "platform/ui/application.h"
#include "resources/resource_ids.h"
#include "resources/resource_table.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

bool endAfterPaint = false;

// The screen's own procedure, timed at the end of its first paint.
INT_PTR TimedProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM lParam) {
  static bool painted = false;
  const INT_PTR answer = IncomingCallProcedure(screen, message, wParam, lParam);
  if (message == WM_PAINT && !painted) {
    painted = true;
    std::printf("paint %lld\n", MonotonicNanoseconds());
    std::fflush(stdout);
    if (endAfterPaint) {
      std::_Exit(0);
    }
  }
  return answer;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 3 && std::string(argv[2]) == "paint")) {
    return 2;
  }
  endAfterPaint = argc == 3;
  const std::string directory = argv[1];
  IncomingCallScreen::PreparePictures(&ProgramResources());  // as the program's entry does
  std::string why;
  if (!StartScreenPlatform(argc, argv, &why)) {
    std::fprintf(stderr, "incoming_probe: %s\n", why.c_str());
    return 3;
  }
  State().instance = &ProgramResources();
  SetModuleFileNameForTesting(FromUtf8(directory + "/pelorin"));
  // The file holds only the due call, so there is nothing to arm; never arm for real anyway.
  SetTimedLaunchService([](const std::u16string&, const SYSTEMTIME&) { return true; });
  IncomingCallScreen::BeginScheduleWork();  // as the program's entry does
  RunModalScreen(IDD_INCOMING, TimedProcedure);
  return 0;
}
