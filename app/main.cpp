// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Program entry: prepares the process and runs one top-level screen, chosen by how the
// program was started. The timed launch starts it with the exact command line "AppRunAtTime".
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/quick_call.h"
#include "incoming/incoming_call_screen.h"
#include "platform/system/module_path.h"
#include "platform/system/starting_environment.h"
#include "platform/system/text.h"
#include "platform/ui/application.h"
#include "resources/resource_table.h"
#include "screens/main_screen.h"
#include "store/schedule_store.h"
#include "store/wakeup_scheduler.h"
#include "toolkit/process_state.h"
#include "toolkit/readme.h"

namespace {

constexpr std::u16string_view kTimedLaunchCommandLine = u"AppRunAtTime";
// The two command lines a person may want answered without a window.
constexpr std::u16string_view kHelpCommandLine = u"--help";
constexpr std::u16string_view kVersionCommandLine = u"--version";

// The command line as the phone would hand it over: the arguments joined by single blanks.
std::u16string CommandLineOf(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      line += ' ';
    }
    line += argv[i];
  }
  return FromUtf8(line);
}

void PrintUsage() {
  std::printf(
      "Usage: pelorin                the scheduled calls: list, add, delete\n"
      "       pelorin AppRunAtTime   ring the call due now (the timed launch starts it so)\n"
      "       pelorin --in DURATION [--name NAME] [--ringtone FILE] [--mute] [--no-vibrate]\n"
      "                              a call that rings after DURATION: 90s, 5m, 1h30m\n"
      "       pelorin --at TIME [the same options]\n"
      "                              a call at TIME: 18:30, 18:30:15 (today, or tomorrow\n"
      "                              once passed), \"2026-12-09 18:30\"; local time\n"
      "       pelorin --list         the calls, one a line: number, ring time, name\n"
      "       pelorin --delete N     remove call N as --list numbers it\n"
      "       pelorin --help | --version\n"
      "\n"
      "A call not named rings from \"Tobrin\" with the default ringtone and vibrates.\n"
      "Exit status of the forms with --: 0 done, 1 the schedule file cannot be read or\n"
      "saved, 2 a wrong command line or a refused ring time (the file is left as it was).\n"
      "\n"
      "Schedule file: %s\n"
      "README:        %s\n",
      ScheduleStore().path().c_str(), ReadmePath().c_str());
}

void RunTimedLaunch() {
  // The file's save and the arming of the next call run while the screen's windows are made.
  IncomingCallScreen::BeginScheduleWork();
  IncomingCallScreen screen;
  screen.Run();
}

void RunUserLaunch() {
  MainScreen screen;
  screen.Run();
}

int Entry(const void* instance, std::u16string_view commandLine) {
  State().instance = instance;
  if (commandLine == kTimedLaunchCommandLine) {
    RunTimedLaunch();
  } else {
    RunUserLaunch();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the platform sets variables of its own: what is armed for later gets the person's.
  KeepStartingEnvironment();
  // Taken before the platform starts: it removes the arguments meant for itself.
  const std::u16string commandLine = CommandLineOf(argc, argv);
  if (commandLine == kHelpCommandLine) {
    PrintUsage();
    return 0;
  }
  if (commandLine == kVersionCommandLine) {
    std::printf("pelorin %s\n", PELORIN_VERSION);
    return 0;
  }
  // Scheduled, listed and removed without the screens: no display is needed.
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  if (IsQuickCallCommand(arguments)) {
    return RunQuickCallCommand(arguments);
  }
  const bool timedLaunch = commandLine == kTimedLaunchCommandLine;
  if (timedLaunch) {
    IncomingCallScreen::PreparePictures(&ProgramResources());
  }
  std::string why;
  if (!StartScreenPlatform(argc, argv, &why)) {
    std::fprintf(stderr, "pelorin: cannot show its screens: %s\n", why.c_str());
    if (timedLaunch) {
      // The call cannot ring without a screen, but the calls after it must stay armed.
      ScheduleStore store;
      WakeupScheduler(store);
    }
    return -1;
  }
  const int code = Entry(&ProgramResources(), commandLine);
  // Ended by a signal: its screens ended first, and the exit says which signal, as a shell's.
  return EndRequestSignal() != 0 ? 128 + EndRequestSignal() : code;
}
