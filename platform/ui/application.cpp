#include "application.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <cstdlib>
#include <string_view>

namespace {

bool EnvironmentHas(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Qt ends the process when its platform cannot start, so ask the display ourselves first.
bool CanReachDisplay(std::string* why) {
  const char* requested = std::getenv("QT_QPA_PLATFORM");
  const std::string_view platform = requested ? requested : "";
  if (!platform.empty() && platform.substr(0, 3) != "xcb" && platform.substr(0, 7) != "wayland") {
    return true;  // offscreen, minimal, vnc...: no display needed
  }
  if (platform.empty() && EnvironmentHas("WAYLAND_DISPLAY")) {
    return true;
  }
  if (platform.substr(0, 7) == "wayland") {
    if (EnvironmentHas("WAYLAND_DISPLAY")) {
      return true;
    }
    *why = "no Wayland display: WAYLAND_DISPLAY is not set";
    return false;
  }
  if (!EnvironmentHas("DISPLAY")) {
    *why = "no display: DISPLAY is not set (start it on a desktop, or under xvfb-run)";
    return false;
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reachable = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (!reachable) {
    *why = std::string("cannot open display ") + std::getenv("DISPLAY") +
           " (start it on a desktop, or under xvfb-run)";
  }
  return reachable;
}

// The phone's 176-pixel frame is tiny on a desktop monitor: show it twice as large. Layout
// stays in the phone's logical pixels; a person's own QT_SCALE_FACTOR wins, and headless runs
// (tests, screen pictures) keep the phone's own size.
void ScaleFrameForDesktop() {
  const char* requested = std::getenv("QT_QPA_PLATFORM");
  const std::string_view platform = requested ? requested : "";
  if (platform.substr(0, 9) == "offscreen" || platform.substr(0, 7) == "minimal" ||
      EnvironmentHas("QT_SCALE_FACTOR")) {
    return;
  }
  setenv("QT_SCALE_FACTOR", "2", 0);
}

}  // namespace

bool StartScreenPlatform(int& argc, char** argv, std::string* why) {
  if (QApplication::instance() != nullptr) {
    return true;
  }
  if (!CanReachDisplay(why)) {
    return false;
  }
  ScaleFrameForDesktop();
  // Lives until the process exits, like the phone's own shell.
  new QApplication(argc, argv);
  QApplication::setApplicationName("Pelorin");
  QApplication::setQuitOnLastWindowClosed(false);
  return true;
}
