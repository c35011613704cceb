// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/e2e/desktop_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "tests/support/local_time.h"
#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace e2e {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WaitUntil;

namespace {

// The variables of the test's own environment that must not reach the program: another
// display, a session bus or a systemd manager of the person running the tests.
bool KeptFromProgram(const std::string& entry) {
  for (const char* name : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=",
                           "DBUS_SESSION_BUS_ADDRESS=", "XDG_RUNTIME_DIR=", "XDG_DATA_HOME=",
                           "XAUTHORITY=", "PELORIN_TIMED_LAUNCH=", "SDL_AUDIODRIVER="}) {
    if (entry.rfind(name, 0) == 0) {
      return true;
    }
  }
  return false;
}

constexpr char kSessionMark[] = "PELORIN_TEST_SESSION=";

}  // namespace

void DesktopSession::SetUp() {
  root_ = fs::temp_directory_path() / ("pelorin-desktop-" + std::to_string(::getpid()));
  fs::remove_all(root_);
  program_ = root_ / "program";
  fs::create_directories(program_);
  fs::create_directories(root_ / "run");
  fs::permissions(root_ / "run", fs::perms::owner_all);
  const fs::path build = std::getenv("PELORIN_BUILD_DIR");
  for (const char* file : {"pelorin", "pelorin-waiter", "pelorin-sound.so", "pelorin-evolution.so",
                           "pelorin-ofono.so", "ringtone1.mp3", "click.wav"}) {
    fs::copy_file(build / file, program_ / file);
  }
  fs::copy_file(fs::path(std::getenv("PELORIN_SOURCE_DIR")) / "resources" / "pelorin.xml",
                program_ / "pelorin.xml");
  artifacts_ = build / "artifacts";
  fs::create_directories(artifacts_);
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!KeptFromProgram(*entry)) {
      environment_.push_back(*entry);
    }
  }
  environment_.push_back("XDG_RUNTIME_DIR=" + (root_ / "run").string());
  environment_.push_back("XDG_DATA_HOME=" + (root_ / "data").string());
  environment_.push_back("PELORIN_TIMED_LAUNCH=waiter");
  environment_.push_back("SDL_AUDIODRIVER=dummy");
  // Inherited by whatever the program starts, so the session finds what it left behind.
  environment_.push_back(kSessionMark + root_.string());
  if (!withDisplay_) {
    return;
  }

  xvfb_ = StartXvfb(root_, "480x480x24", serverResets_, &display_);
  ASSERT_GT(xvfb_, 0) << "Xvfb could not be started: " << ReadFile(root_ / "xvfb.txt");
  environment_.push_back("DISPLAY=" + display_);
}

int StartXvfb(const fs::path& directory, const std::string& screen, bool resets,
              std::string* display) {
  // Xvfb picks a free display and writes its number once it accepts clients.
  const fs::path number = directory / "display";
  std::vector<std::string> xvfb = {"Xvfb", "-displayfd", "1",         "-screen",
                                   "0",    screen,       "-nolisten", "tcp"};
  if (!resets) {
    xvfb.push_back("-noreset");
  }
  const int process =
      test_support::Spawn(xvfb, test_support::EnvironmentWith(), number, directory / "xvfb.txt");
  if (process <= 0 || !WaitUntil([&] { return ReadFile(number).find('\n') != std::string::npos; },
                                 std::chrono::seconds(20))) {
    test_support::Stop(process);
    return 0;
  }
  *display = ":" + test_support::Lines(ReadFile(number)).front();
  return process;
}

void DesktopSession::TearDown() {
  for (int process : started_) {
    test_support::Stop(process);
  }
  EndLeftovers();
  bus_.Stop();
  test_support::Stop(xvfb_);
  // A sanitizer finding in the program or in what it started (its waiter, a timed launch) ends
  // up in their output, never in an exit code the test sees.
  const std::string output = ReadFile(root_ / "program-output.txt");
  EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
  // What the program said is gone with the test's directory: a failed case shows it.
  if (HasFailure() && !output.empty()) {
    std::fprintf(stderr, "The program said:\n%s\n", output.c_str());
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

// Waiters still pending for the copy would start it after the test, and a program a waiter
// started is no child of the test: end whatever runs from the program directory, and whatever
// else inherited the session's environment.
void DesktopSession::EndLeftovers() {
  const std::string directory = program_.string() + "/";
  for (int process : test_support::Processes([&](const std::vector<std::string>& command) {
         return command.front().rfind(directory, 0) == 0;
       })) {
    ::kill(process, SIGKILL);
  }
  for (const std::string& process : ProcessesOfTheSession()) {
    ::kill(std::stoi(process), SIGKILL);
  }
}

std::vector<std::string> DesktopSession::ProcessesOfTheSession() const {
  const std::string mark = kSessionMark + root_.string();
  std::vector<std::string> found;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
    const std::string name = entry.path().filename().string();
    const std::string variables = ReadFile(entry.path() / "environ");
    if (name.find_first_not_of("0123456789") == std::string::npos &&
        ("\0" + variables).find("\0" + mark + "\0") != std::string::npos &&
        ProgramRuns(std::stoi(name))) {
      const std::string command = ReadFile(entry.path() / "comm");
      found.push_back(name + " " + command.substr(0, command.find('\n')));
    }
  }
  return found;
}

bool DesktopSession::ProgramRuns(int process) const {
  // The state follows the command name, which is in parentheses: "Z" is a process that ended.
  const std::string status = ReadFile("/proc/" + std::to_string(process) + "/stat");
  const std::size_t end = status.rfind(')');
  return end != std::string::npos && status.compare(end + 1, 3, " Z ") != 0;
}

void DesktopSession::SetVariable(const std::string& name, const std::string& value) {
  RemoveVariable(name);
  environment_.push_back(name + "=" + value);
}

void DesktopSession::RemoveVariable(const std::string& name) {
  std::erase_if(environment_,
                [&](const std::string& entry) { return entry.rfind(name + "=", 0) == 0; });
}

void DesktopSession::StartSessionBus() {
  ASSERT_TRUE(bus_.Start(root_)) << "dbus-daemon gave no address";
  ASSERT_TRUE(bus_.StartScreenSaver(ScreenSaverLog())) << "the stand-in screen saver is not ready";
  SetVariable("DBUS_SESSION_BUS_ADDRESS", bus_.address());
}

int DesktopSession::Spawn(const std::vector<std::string>& command, const fs::path& output) {
  return test_support::Spawn(command, environment_, output, output);
}

int DesktopSession::StartProgram(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = launcher_;
  command.push_back((program_ / "pelorin").string());
  command.insert(command.end(), arguments.begin(), arguments.end());
  const int process = Spawn(command, root_ / "program-output.txt");
  if (process > 0) {
    started_.push_back(process);
  }
  return process;
}

Finished DesktopSession::RunProgram(const std::vector<std::string>& arguments,
                                    std::string* errors) {
  std::vector<std::string> command = launcher_;
  command.push_back((program_ / "pelorin").string());
  command.insert(command.end(), arguments.begin(), arguments.end());
  const fs::path output = root_ / "run-output.txt";
  const fs::path said = root_ / "run-errors.txt";
  fs::remove(output);
  fs::remove(said);
  const int process = test_support::Spawn(command, environment_, output, said);
  int status = 0;
  if (process <= 0 || ::waitpid(process, &status, 0) != process) {
    return {-1000, {}};
  }
  *errors = ReadFile(said);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1000, ReadFile(output)};
}

int DesktopSession::WaitForProgram(int process, std::chrono::seconds limit) {
  // Looked at often: rounds of short launches wait for many of them.
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + limit;
  bool ended = false;
  while (!(ended = ::waitpid(process, &status, WNOHANG) == process) &&
         std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!ended) {
    return -1000;
  }
  std::erase(started_, process);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

Finished DesktopSession::Tool(const std::vector<std::string>& command) {
  const fs::path output = root_ / "tool-output.txt";
  fs::remove(output);
  const int process = Spawn(command, output);
  if (process <= 0) {
    return {-1000, "cannot start " + command[0]};
  }
  int status = 0;
  ::waitpid(process, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1000, ReadFile(output)};
}

void DesktopSession::Keys(const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    Tool({"xdotool", "key", "--clearmodifiers", key});
    // A person's pace: the program handles one key before the next arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
}

void DesktopSession::Type(const std::string& text) {
  Tool({"xdotool", "type", "--delay", "80", text});
}

bool DesktopSession::WindowExists(const std::string& title) {
  return Tool({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}).exitCode == 0;
}

bool DesktopSession::FocusWindow(const std::string& title, std::chrono::seconds limit) {
  std::string window;
  const bool found = WaitUntil(
      [&] {
        const Finished search =
            Tool({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
        if (search.exitCode != 0 || search.output.empty()) {
          return false;
        }
        // The newest window of that title is the last one listed.
        std::string last = search.output.substr(0, search.output.find_last_not_of('\n') + 1);
        window = last.substr(last.find_last_of('\n') + 1);
        return true;
      },
      limit);
  if (!found) {
    return false;
  }
  Tool({"xdotool", "windowfocus", "--sync", window});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  return true;
}

void DesktopSession::TakePicture(const std::string& name) {
  // Let the last key's painting finish first.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Tool(
      {"import", "-display", display_, "-window", "root", (artifacts_ / (name + ".png")).string()});
}

std::string DesktopSession::ReadSchedule() const {
  return ReadFile(program_ / "pelorin.xml");
}

void DesktopSession::WriteSchedule(const std::string& text) const {
  std::ofstream(program_ / "pelorin.xml", std::ios::binary) << text;
}

std::string DesktopSession::Call(const std::string& name, std::time_t moment, int index,
                                 const std::string& ringtone) {
  const FILETIME time = test_support::LocalFileTime(moment);
  return "<CI Name=\"" + name + "\" PhoneNo=\"\" Ringtone=\"" + ringtone +
         "\" Vibrate=\"1\" Index=\"" + std::to_string(index) + "\" CallTimeHigh=\"" +
         std::to_string(time.dwHighDateTime) + "\" CallTimeLow=\"" +
         std::to_string(time.dwLowDateTime) + "\"/>";
}

std::string DesktopSession::TimeOfDayFromNow(int seconds) {
  // The new call form's date starts five minutes ahead, so in the last minutes before
  // midnight it shows tomorrow: wait until today's date is the form's and the time's.
  constexpr int kFormAhead = 6 * 60;
  for (;;) {
    const std::time_t now = std::time(nullptr);
    const std::time_t then = now + seconds;
    const std::time_t formDate = now + kFormAhead;
    std::tm today{};
    std::tm at{};
    std::tm shown{};
    localtime_r(&now, &today);
    localtime_r(&then, &at);
    localtime_r(&formDate, &shown);
    if (today.tm_mday == at.tm_mday && today.tm_mday == shown.tm_mday) {
      char text[8];
      std::strftime(text, sizeof text, "%H%M%S", &at);
      return text;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
}

int DesktopSession::CountCalls(const std::string& schedule) {
  int calls = 0;
  for (std::size_t at = schedule.find("<CI "); at != std::string::npos;
       at = schedule.find("<CI ", at + 1)) {
    ++calls;
  }
  return calls;
}

}  // namespace e2e
