#include "tests/e2e/phone_session.h"

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

// phoc's settings file: the phone's screen, and no X11 server of its own for X clients.
constexpr char kPhocSettings[] =
    "[core]\n"
    "xwayland=false\n"
    "[output:X11-1]\n"
    "mode=360x720\n"
    "scale=1\n";

std::string StartCompositor() {
  compositor.directory =
      fs::temp_directory_path() / ("pelorin-phone-" + std::to_string(::getpid()));
  fs::remove_all(compositor.directory);
  const fs::path runtime = compositor.directory / "run";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  std::ofstream(compositor.directory / "phoc.ini") << kPhocSettings;

  std::string display;
  compositor.xvfb = StartXvfb(compositor.directory, "360x720x24", false, &display);
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
  artifacts_ /= "wayland";
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

void PhoneSession::Tap(int x, int y) {
  const int tool = test_support::Spawn(
      {"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"},
      {"DISPLAY=" + compositor.xDisplay}, "/dev/null", "/dev/null");
  ::waitpid(tool, nullptr, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
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

std::string PhoneSession::PixelOf(const fs::path& picture, int x, int y) {
  const std::string pixel = "%[hex:p{" + std::to_string(x) + "," + std::to_string(y) + "}]";
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
