// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "application.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QDBusConnection>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/on_screen_keyboard.h"

namespace {

namespace fs = std::filesystem;

constexpr char kNoDisplayHint[] = " (start it on a desktop, or under xvfb-run)";

bool EnvironmentHas(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(separator), text.size());
    if (end > 0) {
      parts.emplace_back(text.substr(0, end));
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return parts;
}

// The platforms Qt 6 tries in turn, each with its options ("xcb", "wayland", "offscreen:..."):
// the -platform argument or QT_QPA_PLATFORM when given; otherwise Wayland first when the
// session says Wayland or WAYLAND_DISPLAY is set at all, then X11.
std::vector<std::string> PlatformsQtTries(int argc, char** argv) {
  std::string names = "xcb";
  if (EnvironmentHas("QT_QPA_PLATFORM")) {
    names = Environment("QT_QPA_PLATFORM");
  } else if (Environment("XDG_SESSION_TYPE") == "wayland" ||
             std::getenv("WAYLAND_DISPLAY") != nullptr) {
    names = "wayland;xcb";
  }
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "-platform" || argument == "--platform") {
      names = argv[++i];
    }
  }
  return Split(names, ';');
}

// A server on a display of its own (xvfb-run) resets when its last client leaves, and drops
// whoever was connecting just then. So the probe's connection stays open until Qt has its
// own, and a probe dropped by a reset that someone else's leaving began tries again.
xcb_connection_t* heldDisplay = nullptr;
constexpr int kConnectAttempts = 20;
constexpr auto kBetweenAttempts = std::chrono::milliseconds(100);

// Only a local server whose socket is there can be in the middle of a reset; a missing
// socket means no server, and a remote one is asked once.
bool MayBeResetting() {
  char* host = nullptr;
  int display = 0;
  if (xcb_parse_display(nullptr, &host, &display, nullptr) == 0) {
    return false;
  }
  const bool local = host == nullptr || *host == '\0' || std::string_view(host) == "unix";
  std::free(host);
  std::error_code error;
  return local && fs::exists("/tmp/.X11-unix/X" + std::to_string(display), error);
}

bool ReachX11(std::string* why) {
  if (!EnvironmentHas("DISPLAY")) {
    *why = "DISPLAY is not set";
    return false;
  }
  for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) == 0) {
      heldDisplay = connection;
      return true;
    }
    xcb_disconnect(connection);
    if (!MayBeResetting()) {
      break;
    }
    std::this_thread::sleep_for(kBetweenAttempts);
  }
  *why = "cannot open display " + Environment("DISPLAY");
  return false;
}

// Qt skips a platform whose plugin is not installed (qt6-wayland for Wayland).
bool HasWaylandPlugin() {
  std::vector<fs::path> directories;
  if (EnvironmentHas("QT_QPA_PLATFORM_PLUGIN_PATH")) {
    directories.emplace_back(Environment("QT_QPA_PLATFORM_PLUGIN_PATH"));
  }
  for (const std::string& directory : Split(Environment("QT_PLUGIN_PATH"), ':')) {
    directories.push_back(fs::path(directory) / "platforms");
  }
  directories.push_back(fs::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) /
                        "platforms");
  directories.push_back(fs::path(ToUtf8(GetApplicationDirectory())) / "platforms");
  for (const fs::path& directory : directories) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("libqwayland", 0) == 0 && entry.path().extension() == ".so") {
        return true;
      }
    }
  }
  return false;
}

bool SocketAnswers(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    return false;
  }
  path.copy(address.sun_path, path.size());
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool answers = socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr*>(&address),
                                                sizeof address) == 0;
  if (socket >= 0) {
    ::close(socket);
  }
  return answers;
}

// Connects where libwayland would: WAYLAND_DISPLAY ("wayland-0" when unset) inside
// XDG_RUNTIME_DIR, or the path itself when it is absolute. A compositor does not mind a client
// that leaves at once.
bool ReachWayland(std::string* why) {
  std::string path = "WAYLAND_SOCKET";  // a connection the compositor handed over
  if (!EnvironmentHas("WAYLAND_SOCKET")) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    path = display != nullptr ? display : "wayland-0";
    if (path.empty() || path.front() != '/') {
      if (!EnvironmentHas("XDG_RUNTIME_DIR")) {
        *why = "Wayland display " + path + ": XDG_RUNTIME_DIR is not set";
        return false;
      }
      path = Environment("XDG_RUNTIME_DIR") + "/" + path;
    }
    if (!SocketAnswers(path)) {
      *why = "Wayland display " + path + " does not answer";
      return false;
    }
  }
  if (!HasWaylandPlugin()) {
    *why = "Wayland display " + path + " answers, but Qt has no Wayland support (qt6-wayland)";
    return false;
  }
  return true;
}

bool IsWayland(std::string_view name) {
  return name.substr(0, 7) == "wayland";
}

// Qt ends the process when its platform cannot start, so ask each display Qt would try, in
// Qt's order, first. Gives the platform Qt will end up on, or empty with the reasons.
std::string ReachablePlatform(const std::vector<std::string>& platforms, std::string* why) {
  std::string reasons;
  for (const std::string& platform : platforms) {
    const std::string name = platform.substr(0, platform.find(':'));
    std::string reason;
    bool reached = true;  // offscreen, minimal, vnc...: no display needed
    if (name == "xcb") {
      reached = ReachX11(&reason);
    } else if (IsWayland(name)) {
      reached = ReachWayland(&reason);
    }
    if (reached) {
      return platform;
    }
    reasons += (reasons.empty() ? "" : "; ") + reason;
  }
  *why = "no display: " + reasons + kNoDisplayHint;
  return {};
}

// Libdbus would start a session bus of our own through dbus-launch when there is none, and it
// outlives the program; a bus nobody else is on holds no screen saver. Qt's accessibility
// bridge asks for the session bus, and so does the backlight request: let the process's one
// attempt fail instead. The variable is put back at once, so what Pelorin starts or arms
// sees the person's own environment.
void RefuseSessionBusAutolaunch() {
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr) {
    return;
  }
  const std::string runtime = Environment("XDG_RUNTIME_DIR");
  std::error_code error;
  if (!runtime.empty() && fs::is_socket(fs::path(runtime) / "bus", error)) {
    return;  // libdbus finds the user's bus there
  }
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pelorin-no-session-bus", 1);
  QDBusConnection::sessionBus();  // Qt keeps the failed connection for the process
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

#if defined(__SANITIZE_ADDRESS__)
// Qt's D-Bus thread is told to end by a static destructor at exit, which waits for its event
// loop but not for the thread's own end, where it frees its thread data; the leak check that
// follows would then find that data now and then. Registered before Qt starts, this runs after
// Qt's destructors: it gives threads still ending a moment (until none is left, or their count
// stops falling), so the check sees what the program really holds.
void LetEndingThreadsEndBeforeTheLeakCheck() {
  std::atexit([] {
    const auto threads = [] {
      std::error_code error;
      const auto tasks = fs::directory_iterator("/proc/self/task", error);
      return error ? 1 : std::distance(fs::begin(tasks), fs::end(tasks));
    };
    auto count = threads();
    auto changed = std::chrono::steady_clock::now();
    while (count > 1 &&
           std::chrono::steady_clock::now() - changed < std::chrono::milliseconds(100)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      const auto now = threads();
      if (now < count) {
        changed = std::chrono::steady_clock::now();
      }
      count = now;
    }
  });
}
#else
void LetEndingThreadsEndBeforeTheLeakCheck() {}
#endif

// Said by Qt on every start without XDG_RUNTIME_DIR, and it then uses a directory of its own.
void QuietKnownHarmlessLines() {
  static QtMessageHandler next = nullptr;
  next = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
          return;
        }
        next(type, context, message);
      });
}

// The phone's 176-pixel frame is tiny on a desktop monitor: show it twice as large. Layout
// stays in the phone's logical pixels; a person's own QT_SCALE_FACTOR wins, and headless runs
// (tests, screen pictures) keep the phone's own size.
void ScaleFrameForDesktop(std::string_view platform) {
  if (platform.substr(0, 9) == "offscreen" || platform.substr(0, 7) == "minimal" ||
      EnvironmentHas("QT_SCALE_FACTOR")) {
    return;
  }
  setenv("QT_SCALE_FACTOR", "2", 0);
}

// The frame heads itself with its caption strip. On Wayland a compositor that leaves the
// decoration to its clients (phoc, GNOME's) would get Qt's own title bar above it, a second
// caption on a phone's small screen; X11 window managers and compositors that decorate
// themselves are left as they are. A person's own setting wins.
void LeaveDecorationToTheFrame(std::string_view platform) {
  if (IsWayland(platform)) {
    setenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1", 0);
  }
}

int endSignalPipe[2] = {-1, -1};
volatile sig_atomic_t endSignal = 0;
void (*endHandler)() = nullptr;

// Only what is safe in a signal handler: the signal's number into the pipe, and the default
// action back for the next one.
void NoteEndSignal(int number) {
  const int saved = errno;
  endSignal = number;
  const char byte = static_cast<char>(number);
  (void)!write(endSignalPipe[1], &byte, 1);
  signal(number, SIG_DFL);
  errno = saved;
}

void TakeEndSignals() {
  if (pipe2(endSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    return;  // the signals keep their default action: the process ends at once
  }
  auto* notifier =
      new QSocketNotifier(endSignalPipe[0], QSocketNotifier::Read, QApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char byte = 0;
    while (read(endSignalPipe[0], &byte, 1) == 1) {
    }
    if (endHandler != nullptr) {
      endHandler();
    }
  });
  struct sigaction action {};
  action.sa_handler = NoteEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
    sigaction(number, &action, nullptr);
  }
}

}  // namespace

void SetEndRequestHandler(void (*onEnd)()) {
  endHandler = onEnd;
}

int EndRequestSignal() {
  return endSignal;
}

bool StartScreenPlatform(int& argc, char** argv, std::string* why) {
  if (QApplication::instance() != nullptr) {
    return true;
  }
  const std::vector<std::string> tried = PlatformsQtTries(argc, argv);
  const std::string platform = ReachablePlatform(tried, why);
  if (platform.empty()) {
    return false;
  }
  PrepareFontConfiguration();
  ScaleFrameForDesktop(platform);
  LeaveDecorationToTheFrame(platform);
  QuietKnownHarmlessLines();
  // When an earlier platform of Qt's list cannot be reached, name the one that can, so Qt does
  // not try (and warn about) the others first. Qt keeps the arguments for the process's life.
  static std::vector<char*> arguments;
  static std::string platformArgument = "-platform";
  static std::string chosen;
  static int count = 0;
  arguments.assign(argv, argv + argc);
  if (tried.front() != platform) {
    chosen = platform;
    arguments.push_back(platformArgument.data());
    arguments.push_back(chosen.data());
  }
  count = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  LetEndingThreadsEndBeforeTheLeakCheck();
  // Lives until the process exits, like the phone's own shell.
  new QApplication(count, arguments.data());
  if (heldDisplay != nullptr) {
    xcb_disconnect(heldDisplay);  // Qt holds its own connection by now
    heldDisplay = nullptr;
  }
  const std::string name = platform.substr(0, platform.find(':'));
  if (name == "xcb" || IsWayland(name)) {
    RefuseSessionBusAutolaunch();
  }
  FollowTypingWithOnScreenKeyboard();
  TakeEndSignals();
  QApplication::setApplicationName("Pelorin");
  QApplication::setQuitOnLastWindowClosed(false);
  return true;
}
