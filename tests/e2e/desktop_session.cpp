#include "tests/e2e/desktop_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The variables of the test's own environment that must not reach the program: another
// display, a session bus or a systemd manager of the person running the tests.
bool KeptFromProgram(const std::string& entry) {
  for (const char* name :
       {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "DBUS_SESSION_BUS_ADDRESS=",
        "XDG_RUNTIME_DIR=", "XAUTHORITY=", "PELORIN_TIMED_LAUNCH=", "SDL_AUDIODRIVER="}) {
    if (entry.rfind(name, 0) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

void DesktopSession::SetUp() {
  root_ = fs::temp_directory_path() / ("pelorin-desktop-" + std::to_string(::getpid()));
  fs::remove_all(root_);
  program_ = root_ / "program";
  fs::create_directories(program_);
  fs::create_directories(root_ / "run");
  fs::permissions(root_ / "run", fs::perms::owner_all);
  const fs::path build = std::getenv("PELORIN_BUILD_DIR");
  for (const char* file : {"pelorin", "pelorin-waiter", "ringtone1.mp3", "click.wav"}) {
    fs::copy_file(build / file, program_ / file);
  }
  fs::copy_file(fs::path(std::getenv("PELORIN_SOURCE_DIR")) / "resources" / "pelorin.xml",
                program_ / "pelorin.xml");
  artifacts_ = build / "artifacts";
  fs::create_directories(artifacts_);

  // The display number comes back on a pipe once the server accepts clients.
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], 3);
  const std::string log = (root_ / "xvfb.txt").string();
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> command = {"Xvfb",       "-displayfd", "3",   "-screen", "0",
                                      "480x480x24", "-nolisten",  "tcp", "-noreset"};
  std::vector<char*> argv;
  for (std::string& part : command) argv.push_back(part.data());
  argv.push_back(nullptr);
  pid_t server = 0;
  ASSERT_EQ(posix_spawnp(&server, "Xvfb", &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  xvfb_ = server;
  ::close(pipe[1]);
  std::string number;
  char character = 0;
  while (::read(pipe[0], &character, 1) == 1 && character != '\n') {
    number += character;
  }
  ::close(pipe[0]);
  ASSERT_FALSE(number.empty()) << ReadFile(log);
  display_ = ":" + number;

  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!KeptFromProgram(*entry)) {
      environment_.push_back(*entry);
    }
  }
  environment_.push_back("DISPLAY=" + display_);
  environment_.push_back("XDG_RUNTIME_DIR=" + (root_ / "run").string());
  environment_.push_back("PELORIN_TIMED_LAUNCH=waiter");
  environment_.push_back("SDL_AUDIODRIVER=dummy");
}

void DesktopSession::TearDown() {
  for (int process : started_) {
    ::kill(process, SIGTERM);
    ::waitpid(process, nullptr, 0);
  }
  EndWaiters();
  if (xvfb_ > 0) {
    ::kill(xvfb_, SIGTERM);
    ::waitpid(xvfb_, nullptr, 0);
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

// A waiter still pending for the copy would start it after the test: end it, and a program
// it started, by the ids in its state file.
void DesktopSession::EndWaiters() {
  std::error_code ignored;
  const fs::path states = root_ / "run" / "pelorin";
  if (!fs::exists(states)) {
    return;
  }
  for (const auto& entry : fs::directory_iterator(states, ignored)) {
    const int process = std::atoi(ReadFile(entry.path()).c_str());
    if (process <= 0) {
      continue;
    }
    const std::string command = ReadFile("/proc/" + std::to_string(process) + "/cmdline");
    if (command.find(program_.string()) != std::string::npos) {
      ::kill(process, SIGTERM);
    }
  }
}

int DesktopSession::Spawn(const std::vector<std::string>& command, const fs::path& output) {
  std::vector<std::string> parts = command;
  std::vector<char*> argv;
  for (std::string& part : parts) argv.push_back(part.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables = environment_;
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string path = output.string();
  posix_spawn_file_actions_addopen(&actions, 1, path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t process = 0;
  const int error = posix_spawnp(&process, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? process : -1;
}

int DesktopSession::StartProgram(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {(program_ / "pelorin").string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const int process = Spawn(command, root_ / "program-output.txt");
  if (process > 0) {
    started_.push_back(process);
  }
  return process;
}

int DesktopSession::WaitForProgram(int process, std::chrono::seconds limit) {
  int status = 0;
  const bool ended =
      WaitUntil([&] { return ::waitpid(process, &status, WNOHANG) == process; }, limit);
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

bool DesktopSession::WaitUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return condition();
}

std::string DesktopSession::ReadSchedule() const {
  return ReadFile(program_ / "pelorin.xml");
}

void DesktopSession::WriteSchedule(const std::string& text) const {
  std::ofstream(program_ / "pelorin.xml", std::ios::binary) << text;
}

}  // namespace e2e
