// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "systemd_units.h"

#include <cstdio>

#include "launch_name.h"
#include "platform/system/starting_environment.h"

namespace {

// What the started program needs to show its window on the user's screen, reach the session
// bus (screen-saver inhibit) and play its ringtone. A user service gets none of these from
// the manager on every desktop, so they are copied from the person's environment: as the
// arming program was started, not as it has set them for itself since.
constexpr const char* kCarriedVariables[] = {
    "DISPLAY",
    "WAYLAND_DISPLAY",
    "XAUTHORITY",
    "DBUS_SESSION_BUS_ADDRESS",
    "XDG_RUNTIME_DIR",
    "XDG_SESSION_TYPE",
    "XDG_CURRENT_DESKTOP",
    "XDG_DATA_HOME",
    "PULSE_SERVER",
    "PULSE_COOKIE",
    "PIPEWIRE_RUNTIME_DIR",
    "PIPEWIRE_REMOTE",
    "SDL_AUDIODRIVER",
    "QT_QPA_PLATFORM",
    "QT_QPA_PLATFORMTHEME",
    "QT_SCALE_FACTOR",
    "QT_SCREEN_SCALE_FACTORS",
    "LANG",
    "LC_ALL",
    "TZ",
};

// A description is shown by systemctl; it keeps the path readable but can never break the
// line or end it with a continuation backslash. In a unit file, "%" is doubled (specifiers).
std::string Describe(std::string_view path, const std::string& name, bool inFile) {
  std::string text;
  for (const char character : path) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7f) {
      text += '?';
    } else if (character == '%' && inFile) {
      text += "%%";
    } else {
      text += character;
    }
  }
  return "Pelorin timed launch of " + text + " (" + name + ")";
}

std::vector<std::string> CarriedEnvironment() {
  std::vector<std::string> variables;
  for (const char* name : kCarriedVariables) {
    if (const auto value = StartingVariable(name)) {
      variables.push_back(std::string(name) + "=" + *value);
    }
  }
  return variables;
}

std::string EnvironmentLines() {
  std::string lines;
  for (const std::string& variable : CarriedEnvironment()) {
    lines += "Environment=" + QuoteUnitWord(variable, false) + "\n";
  }
  return lines;
}

}  // namespace

std::string QuoteUnitWord(std::string_view text, bool expandsVariables) {
  std::string word = "\"";
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    switch (character) {
      case '\\':
        word += "\\\\";
        break;
      case '"':
        word += "\\\"";
        break;
      case '%':
        word += "%%";
        break;
      case '$':
        word += expandsVariables ? "$$" : "$";
        break;
      case '\n':
        word += "\\n";
        break;
      case '\t':
        word += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          char escape[5];
          std::snprintf(escape, sizeof escape, "\\x%02x", byte);
          word += escape;
        } else {
          word += character;
        }
    }
  }
  return word + "\"";
}

UnitPair ComposeUnits(const std::string& executable, const std::string& waiter,
                      const std::string& launchTime, bool wakeSystem) {
  const std::string name = LaunchName(executable);
  UnitPair units;
  units.timerName = name + ".timer";
  units.serviceName = name + ".service";
  const std::string description = "Description=" + Describe(executable, name, true) + "\n";

  // The default accuracy is a minute, and even one second lets the manager put the launch
  // anywhere in that second: a call rings on its second. RemainAfterElapse=no lets a restart
  // arm an elapsed timer afresh.
  units.timerText = "[Unit]\n" + description +
                    "\n"
                    "[Timer]\n"
                    "OnCalendar=" +
                    launchTime +
                    "\n"
                    "AccuracySec=1us\n"
                    "RemainAfterElapse=no\n" +
                    (wakeSystem ? "WakeSystem=true\n" : "") + "Unit=" + units.serviceName +
                    "\n"
                    "\n"
                    "[Install]\n"
                    "WantedBy=timers.target\n";

  // The waiter starts the program in a session of its own and returns at once, so the
  // service is over before the call rings: a launch that falls while an earlier call is
  // still on screen starts a second process, and KillMode=process leaves the first alone.
  units.serviceText = "[Unit]\n" + description +
                      "\n"
                      "[Service]\n"
                      "Type=oneshot\n"
                      "KillMode=process\n"
                      "ExecStart=" +
                      QuoteUnitWord(waiter, false) + " --now " + QuoteUnitWord(executable, true) +
                      "\n" + EnvironmentLines();
  return units;
}

TransientLaunch ComposeTransientLaunch(const std::string& executable, const std::string& waiter,
                                       const std::string& launchTime, bool wakeSystem,
                                       const std::string& arming) {
  const std::string name = LaunchName(executable);
  TransientLaunch launch;
  launch.timerName = name + "-" + arming + ".timer";
  launch.serviceName = name + "-" + arming + ".service";
  launch.description = Describe(executable, name, false);
  launch.calendar = launchTime;
  launch.wakeSystem = wakeSystem;
  launch.command = {waiter, "--now", executable};
  launch.environment = CarriedEnvironment();
  return launch;
}
