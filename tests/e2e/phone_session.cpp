// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/e2e/phone_session.h"

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <thread>

#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace e2e {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WaitUntil;

namespace {

// The compositor of the whole test program.
struct Compositor {
  fs::path directory;
  int xvfb = 0;
  int phoc = 0;
  std::string socket;    // WAYLAND_DISPLAY for its clients, an absolute path
  std::string xDisplay;  // the X server phoc's window is on: its pointer is phoc's
  std::string failure;
};
Compositor compositor;

fs::path ListWindowsTool() {
  return fs::path(std::getenv("PELORIN_BUILD_DIR")) / "tests" / "wayland_windows";
}

// The phone's screen in device pixels.
std::string ScreenMode() {
  return std::to_string(360 * PhoneSession::kScale) + "x" +
         std::to_string(720 * PhoneSession::kScale);
}

// phoc's settings file: the phone's screen, and no X11 server of its own for X clients.
std::string PhocSettings() {
  return "[core]\nxwayland=false\n[output:X11-1]\nmode=" + ScreenMode() +
         "\nscale=" + std::to_string(PhoneSession::kScale) + "\n";
}

std::string StartCompositor() {
  compositor.directory =
      fs::temp_directory_path() / ("pelorin-phone-" + std::to_string(::getpid()));
  fs::remove_all(compositor.directory);
  const fs::path runtime = compositor.directory / "run";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  std::ofstream(compositor.directory / "phoc.ini") << PhocSettings();

  std::string display;
  compositor.xvfb = StartXvfb(compositor.directory, ScreenMode() + "x24", false, &display);
  compositor.xDisplay = display;
  if (compositor.xvfb <= 0) {
    return "Xvfb could not be started: " + ReadFile(compositor.directory / "xvfb.txt");
  }
  std::vector<std::string> environment = {
      "PATH=" + std::string(std::getenv("PATH")), "HOME=" + compositor.directory.string(),
      "DISPLAY=" + display, "XDG_RUNTIME_DIR=" + runtime.string(), "WLR_BACKENDS=x11",
      "WLR_RENDERER=pixman",
      // Its settings stay in memory, and no session bus is started for them.
      "GSETTINGS_BACKEND=memory",
      "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (compositor.directory / "no-bus").string()};
  const fs::path log = compositor.directory / "phoc.txt";
  compositor.phoc = test_support::Spawn(
      {"phoc", "-C", (compositor.directory / "phoc.ini").string()}, environment, log, log);
  if (compositor.phoc <= 0) {
    return "phoc could not be started (scripts/setup installs it)";
  }
  compositor.socket = (runtime / "wayland-0").string();
  const std::vector<std::string> client = {"WAYLAND_DISPLAY=" + compositor.socket};
  const bool listening = WaitUntil(
      [&] {
        const int lister =
            test_support::Spawn({ListWindowsTool().string()}, client, "/dev/null", "/dev/null");
        int status = 0;
        ::waitpid(lister, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
      },
      std::chrono::seconds(20));
  return listening ? "" : "phoc did not answer: " + ReadFile(log);
}

}  // namespace

void PhoneSession::SetUpTestSuite() {
  compositor.failure = StartCompositor();
}

void PhoneSession::TearDownTestSuite() {
  test_support::Stop(compositor.phoc);
  test_support::Stop(compositor.xvfb);
  std::error_code ignored;
  fs::remove_all(compositor.directory, ignored);
  compositor = {};
}

void PhoneSession::SetUp() {
  ASSERT_EQ(compositor.failure, "");
  DesktopSession::SetUp();
  SetVariable("WAYLAND_DISPLAY", compositor.socket);
  artifacts_ /= kScale == 1 ? "wayland" : "wayland-" + std::to_string(kScale) + "x";
  fs::create_directories(artifacts_);
}

void PhoneSession::Keys(const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    const std::size_t plus = key.find('+');
    if (plus == std::string::npos) {
      Tool({"wtype", "-k", key});
    } else {
      const std::string modifier = key.substr(0, plus);
      Tool({"wtype", "-M", modifier, "-k", key.substr(plus + 1), "-m", modifier});
    }
    // A person's pace: the program handles one key before the next arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
}

void PhoneSession::Type(const std::string& text) {
  Tool({"wtype", "-d", "80", text});
}

void PhoneSession::Pointer(const std::vector<std::string>& steps) {
  std::vector<std::string> command = {"xdotool"};
  command.insert(command.end(), steps.begin(), steps.end());
  const int tool =
      test_support::Spawn(command, {"DISPLAY=" + compositor.xDisplay}, "/dev/null", "/dev/null");
  ::waitpid(tool, nullptr, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

namespace {

std::vector<std::string> MoveTo(double x, double y) {
  return {"mousemove", std::to_string(std::lround(x * PhoneSession::kScale)),
          std::to_string(std::lround(y * PhoneSession::kScale))};
}

}  // namespace

void PhoneSession::Tap(double x, double y) {
  std::vector<std::string> steps = MoveTo(x, y);
  steps.insert(steps.end(), {"click", "1"});
  Pointer(steps);
}

void PhoneSession::DoubleTap(double x, double y) {
  std::vector<std::string> steps = MoveTo(x, y);
  steps.insert(steps.end(), {"click", "--repeat", "2", "--delay", "120", "1"});
  Pointer(steps);
}

void PhoneSession::Drag(double x, double fromY, double toY, bool flick) {
  std::vector<std::string> steps = MoveTo(x, fromY);
  steps.insert(steps.end(), {"mousedown", "1"});
  constexpr int kSteps = 20;
  for (int i = 1; i <= kSteps; ++i) {
    const std::vector<std::string> move = MoveTo(x, fromY + (toY - fromY) * i / kSteps);
    steps.insert(steps.end(), move.begin(), move.end());
    steps.insert(steps.end(), {"sleep", flick ? "0.005" : "0.04"});
  }
  if (!flick) {
    steps.insert(steps.end(), {"sleep", "0.6"});  // at rest before the finger lifts
  }
  steps.insert(steps.end(), {"mouseup", "1"});
  Pointer(steps);
  std::this_thread::sleep_for(std::chrono::milliseconds(flick ? 2000 : 300));
}

std::pair<double, double> PhoneSession::HighlightedRow(const fs::path& picture, double x) {
  const std::string column = Tool({"convert", picture.string(), "-crop",
                                   "1x" + std::to_string(720 * kScale) + "+" +
                                       std::to_string(std::lround(x * kScale)) + "+0",
                                   "+repage", "-depth", "8", "txt:-"})
                                 .output;
  int top = -1;
  int bottom = -1;
  for (const std::string& line : test_support::Lines(column)) {
    // "0,123: (48,140,198)  #308CC6  srgb(48,140,198)"
    const std::size_t comma = line.find(',');
    const std::size_t colon = line.find(':');
    if (comma == std::string::npos || colon == std::string::npos ||
        line.find("#308CC6") == std::string::npos) {
      continue;
    }
    const int y = std::stoi(line.substr(comma + 1, colon - comma - 1));
    top = top < 0 ? y : top;
    bottom = y;
  }
  if (top < 0) {
    return {-1, -1};
  }
  return {static_cast<double>(top) / kScale, static_cast<double>(bottom + 1) / kScale};
}

std::vector<std::string> PhoneSession::BrowserRows(const fs::path& directory) {
  std::vector<std::string> rows;
  if (directory != "/") {
    rows.push_back("..");
  }
  DIR* listing = ::opendir(directory.c_str());
  if (listing == nullptr) {
    return rows;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    std::string extension = name.size() > 4 ? name.substr(name.size() - 4) : "";
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::error_code ignored;
    if (name != "." && name != ".." &&
        (fs::is_directory(directory / name, ignored) || extension == ".mp3" ||
         extension == ".wav")) {
      rows.push_back(name);
    }
  }
  ::closedir(listing);
  return rows;
}

bool PhoneSession::StartOnScreenKeyboard() {
  const fs::path settings = root_ / "keyboard-settings" / "glib-2.0" / "settings";
  fs::create_directories(settings);
  // squeekboard shows only while the desktop's screen keyboard setting is on.
  std::ofstream(settings / "keyfile")
      << "[org/gnome/desktop/a11y/applications]\nscreen-keyboard-enabled=true\n";
  std::vector<std::string> environment = environment_;
  environment.push_back("XDG_CONFIG_HOME=" + (root_ / "keyboard-settings").string());
  environment.push_back("GSETTINGS_BACKEND=keyfile");
  const fs::path log = root_ / "squeekboard.txt";
  if (test_support::Spawn({"squeekboard"}, environment, log, log) <= 0) {
    return false;
  }
  return WaitUntil([&] { return !KeyboardVisible().empty(); }, std::chrono::seconds(20));
}

bool PhoneSession::StartNotificationDaemon() {
  const fs::path settings = root_ / "mako.conf";
  std::ofstream(settings) << "";  // mako's own defaults, not the person's
  const fs::path log = root_ / "mako.txt";
  if (test_support::Spawn({"mako", "-c", settings.string()}, environment_, log, log) <= 0) {
    return false;
  }
  return WaitUntil(
      [&] {
        return Tool({"gdbus", "call", "--session", "--dest", "org.freedesktop.Notifications",
                     "--object-path", "/org/freedesktop/Notifications", "--method",
                     "org.freedesktop.Notifications.GetServerInformation"})
                   .output.find("mako") != std::string::npos;
      },
      std::chrono::seconds(20));
}

std::size_t PhoneSession::PixelsOfColour(const fs::path& picture, const std::string& colour) {
  const std::string count =
      Tool({"convert", picture.string(), "-fill", "black", "+opaque", colour, "-fill", "white",
            "-opaque", colour, "-format", "%[fx:round(mean*w*h)]", "info:"})
          .output;
  return count.empty() ? 0 : std::stoul(count);
}

std::string PhoneSession::KeyboardVisible() {
  const std::string answer =
      Tool({"gdbus", "call", "--session", "--dest", "sm.puri.OSK0", "--object-path",
            "/sm/puri/OSK0", "--method", "org.freedesktop.DBus.Properties.Get", "sm.puri.OSK0",
            "Visible"})
          .output;
  if (answer.find("true") != std::string::npos) {
    return "true";
  }
  return answer.find("false") != std::string::npos ? "false" : "";
}

std::string PhoneSession::Windows() {
  return Tool({ListWindowsTool().string()}).output;
}

bool PhoneSession::FocusWindow(const std::string& title, std::chrono::seconds limit) {
  const bool focused = WaitUntil(
      [&] { return ("\n" + Windows()).find("\n* " + title + "\n") != std::string::npos; }, limit);
  // Let it finish its first painting before keys and pictures.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  return focused;
}

bool PhoneSession::WindowExists(const std::string& title) {
  for (const std::string& line : test_support::Lines(Windows())) {
    if (line.size() > 2 && line.substr(2) == title) {
      return true;
    }
  }
  return false;
}

fs::path PhoneSession::Picture(const std::string& name) const {
  return artifacts_ / (name + ".png");
}

void PhoneSession::TakePicture(const std::string& name) {
  // Let the last key's painting finish first.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Tool({"grim", Picture(name).string()});
}

// A row of a finger's list and of its menus is 20 frame pixels high; the frame on the phone's
// screen is 352 frame pixels high, a caption strip and a soft-key bar of 20 each.
constexpr double kFingerRow = 20;
constexpr double kBarTop = 332;

void PhoneSession::TapPopupEntry(int index, int count) {
  const double top = kBarTop - (kFingerRow * count + 2) + 1;
  Tap(OnScreen(150), OnScreen(top + kFingerRow * (index + 0.5)));
}

void PhoneSession::DoubleTapBrowserRow(const fs::path& directory, const std::string& name) {
  const std::vector<std::string> rows = BrowserRows(directory);
  const auto found = std::find(rows.begin(), rows.end(), name);
  ASSERT_NE(found, rows.end()) << name << " is not listed in " << directory;
  const double index = static_cast<double>(found - rows.begin());
  // A new listing shows its first row selected, at the top, once it is read (a long folder
  // in a sanitizer build takes a while).
  std::pair<double, double> highlighted{-1, -1};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    TakePicture("browser");
    highlighted = HighlightedRow(Picture("browser"), 300);
  } while (highlighted.first < 0 && std::chrono::steady_clock::now() < deadline);
  const auto [top, bottom] = highlighted;
  ASSERT_GE(top, 0) << "no row selected in " << directory;
  const double row = OnScreen(kFingerRow);
  double middle = (top + bottom) / 2 + index * row;
  if (middle > OnScreen(kBarTop) - row / 2) {
    // Flicked on until the rows stop moving (a long folder takes more than one flick): its
    // last row then lies just above the bar.
    std::string before;
    for (int flicks = 0; flicks < 10; ++flicks) {
      Drag(180, 600, 100, true);
      TakePicture("browser");
      const std::string now = test_support::ReadFile(Picture("browser"));
      if (now == before) {
        break;
      }
      before = now;
    }
    middle = OnScreen(kBarTop) - (static_cast<double>(rows.size()) - index - 0.5) * row;
  }
  DoubleTap(180, middle);
}

std::string PhoneSession::PixelOf(const fs::path& picture, int x, int y) {
  const std::string pixel =
      "%[hex:p{" + std::to_string(x * kScale) + "," + std::to_string(y * kScale) + "}]";
  return Tool({"convert", picture.string(), "-format", pixel, "info:"}).output;
}

std::pair<int, int> PhoneSession::PictureSize(const fs::path& picture) {
  // A PNG file starts with its 8-byte signature and the IHDR chunk: length, type, then the
  // width and height as 32-bit big-endian numbers.
  const std::string bytes = ReadFile(picture);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
    return {0, 0};
  }
  const auto number = [&](std::size_t at) {
    int value = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
      value = value * 256 + static_cast<unsigned char>(bytes[i]);
    }
    return value;
  };
  return {number(16), number(20)};
}

}  // namespace e2e
