// The launch contract for real: a copy of the built program in a directory of its own, on an
// Xvfb display of its own, with a session bus carrying a stand-in screen saver and the sound
// going to a file (SDL's disk driver). A timed launch with nothing due arms the next call
// through pelorin-waiter; the waiter starts the program at that second; the program rings
// (sound, backlight held, window up), purges the call and arms the next; F1 answers.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/system/clock.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string ReadFile(const fs::path& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Waits until the condition holds or `seconds` have passed; says whether it holds.
bool WaitFor(const std::function<bool()>& condition, double seconds) {
  const double end = Now() + seconds;
  while (Now() < end) {
    if (condition()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

// The local-time file time of a moment, as the program writes ring times.
FILETIME LocalFileTime(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  const SYSTEMTIME calendar{static_cast<std::uint16_t>(local.tm_year + 1900),
                            static_cast<std::uint16_t>(local.tm_mon + 1),
                            0,
                            static_cast<std::uint16_t>(local.tm_mday),
                            static_cast<std::uint16_t>(local.tm_hour),
                            static_cast<std::uint16_t>(local.tm_min),
                            static_cast<std::uint16_t>(local.tm_sec),
                            0};
  FILETIME time{};
  SystemTimeToFileTime(&calendar, &time);
  return time;
}

std::string Call(const std::string& name, std::time_t moment, int index,
                 const std::string& ringtone) {
  const FILETIME time = LocalFileTime(moment);
  return "<CI Name=\"" + name + "\" PhoneNo=\"\" Ringtone=\"" + ringtone +
         "\" Vibrate=\"1\" Index=\"" + std::to_string(index) + "\" CallTimeHigh=\"" +
         std::to_string(time.dwHighDateTime) + "\" CallTimeLow=\"" +
         std::to_string(time.dwLowDateTime) + "\"/>";
}

// The processes whose command line is exactly `words`.
std::vector<pid_t> ProcessesRunning(const std::vector<std::string>& words) {
  std::vector<pid_t> found;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    std::vector<std::string> arguments;
    const std::string text = ReadFile(entry.path() / "cmdline");
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\0', start);
      arguments.push_back(text.substr(start, end - start));
      start = end == std::string::npos ? text.size() : end + 1;
    }
    if (arguments == words) {
      found.push_back(std::stoi(name));
    }
  }
  return found;
}

bool IsRunning(pid_t pid) {
  return kill(pid, 0) == 0 && !ReadFile("/proc/" + std::to_string(pid) + "/cmdline").empty();
}

// Samples of the 16-bit output that are clearly not silence.
std::size_t AudibleSamples(const fs::path& output) {
  const std::string bytes = ReadFile(output);
  std::size_t loud = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    loud += sample > 1000 || sample < -1000;
  }
  return loud;
}

class TimedRingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pelorin-ring-XXXXXX";
    directory_ = mkdtemp(pattern);
    const fs::path build = std::getenv("PELORIN_BUILD_DIR");
    for (const char* file : {"pelorin", "pelorin-waiter", "ringtone1.mp3", "click.wav"}) {
      fs::copy_file(build / file, directory_ / file);
    }
    fs::create_directory(directory_ / "runtime");
    fs::permissions(directory_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    StartDisplay();
    StartBus();
    environment_ = {"PELORIN_TIMED_LAUNCH=waiter",
                    "XDG_RUNTIME_DIR=" + (directory_ / "runtime").string(),
                    "QT_QPA_PLATFORM=xcb",
                    "SDL_AUDIODRIVER=disk",
                    "SDL_DISKAUDIOFILE=" + AudioPath().string(),
                    "DISPLAY=" + display_,
                    "DBUS_SESSION_BUS_ADDRESS=" + busAddress_};
  }

  void TearDown() override {
    // Whatever this test started and is still there: the program, waiters, the services.
    for (pid_t pid : ProcessesRunning({Program(), "AppRunAtTime"})) kill(pid, SIGKILL);
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string cmdline = ReadFile(entry.path() / "cmdline");
      if (cmdline.rfind((directory_ / "pelorin-waiter").string() + '\0', 0) == 0) {
        kill(std::stoi(entry.path().filename().string()), SIGKILL);
      }
    }
    for (pid_t pid : {screenSaver_, bus_, server_}) {
      if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
      }
    }
    fs::remove_all(directory_);
  }

  std::string Program() const { return (directory_ / "pelorin").string(); }
  fs::path AudioPath() const { return directory_ / "audio.raw"; }
  fs::path ScreenSaverLog() const { return directory_ / "screen-saver.log"; }

  // Starts a program with the test's environment changes; `output` takes its stdout.
  pid_t Start(std::vector<std::string> arguments, const std::vector<std::string>& changes,
              const fs::path& output = "/dev/null") {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      bool replaced = false;
      for (const std::string& change : changes) {
        replaced = replaced || text.rfind(change.substr(0, change.find('=') + 1), 0) == 0;
      }
      if (!replaced) {
        environment.push_back(text);
      }
    }
    environment.insert(environment.end(), changes.begin(), changes.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0600);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
  }

  int RunToEnd(std::vector<std::string> arguments) {
    const pid_t pid = Start(std::move(arguments), environment_);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
  }

  // Xvfb picks a free display and writes its number to the file.
  void StartDisplay() {
    const fs::path number = directory_ / "display";
    server_ = Start({"Xvfb", "-displayfd", "1", "-screen", "0", "480x640x24", "-nolisten", "tcp"},
                    {}, number);
    ASSERT_GT(server_, 0);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(number).find('\n') != std::string::npos; }, 20))
        << "Xvfb did not start";
    display_ = ":" + Lines(ReadFile(number)).front();
  }

  void StartBus() {
    const fs::path address = directory_ / "bus";
    bus_ = Start({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, {}, address);
    ASSERT_GT(bus_, 0);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(address).find('\n') != std::string::npos; }, 20));
    busAddress_ = Lines(ReadFile(address)).front();
    const fs::path fake =
        fs::path(std::getenv("PELORIN_BUILD_DIR")) / "tests" / "fake_screen_saver";
    screenSaver_ = Start({fake.string(), ScreenSaverLog().string()},
                         {"DBUS_SESSION_BUS_ADDRESS=" + busAddress_});
    ASSERT_TRUE(WaitFor([&] { return ReadFile(ScreenSaverLog()).rfind("ready\n", 0) == 0; }, 20));
  }

  std::vector<std::string> StoredNames() const {
    std::vector<std::string> names;
    const std::string text = ReadFile(directory_ / "pelorin.xml");
    for (std::size_t at = text.find("Name=\""); at != std::string::npos;
         at = text.find("Name=\"", at + 1)) {
      const std::size_t start = at + 6;
      names.push_back(text.substr(start, text.find('"', start) - start));
    }
    return names;
  }

  fs::path directory_;
  std::string display_;
  std::string busAddress_;
  std::vector<std::string> environment_;
  pid_t server_ = -1;
  pid_t bus_ = -1;
  pid_t screenSaver_ = -1;
};

TEST_F(TimedRingTest, TheWaiterStartsTheProgramOnTheSecondAndItRingsPurgesAndArmsTheNext) {
  // A timed launch purges and finds due everything within ten seconds of its start, so the
  // call that is to ring through the waiter lies a little further ahead than that.
  const std::time_t soon = std::time(nullptr) + 13;
  const std::time_t later = soon + 3600;
  const std::string ringtone = (directory_ / "ringtone1.mp3").string();
  std::ofstream(directory_ / "pelorin.xml")
      << "<?xml version=\"1.0\"?>\n<CallInfo>" << Call("Past", soon - 3600, 1, ringtone)
      << Call("Soon", soon, 2, ringtone) << Call("Later", later, 3, ringtone) << "</CallInfo>\n";

  // Nothing is due: the launch shows nothing, purges the past call and arms the next one.
  EXPECT_EQ(RunToEnd({Program(), "AppRunAtTime"}), 0);
  EXPECT_THAT(StoredNames(), ElementsAre("Soon", "Later"));
  const std::vector<pid_t> waiters =
      ProcessesRunning({(directory_ / "pelorin-waiter").string(), Program(), [&] {
                          std::tm local{};
                          localtime_r(&soon, &local);
                          char text[32];
                          std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
                          return std::string(text);
                        }()});
  ASSERT_EQ(waiters.size(), 1u) << "one waiter for the call 13 s ahead";
  EXPECT_FALSE(fs::exists(AudioPath())) << "no sound before the time";

  // The waiter becomes the ringing program at that second.
  pid_t ringing = -1;
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::vector<pid_t> found = ProcessesRunning({Program(), "AppRunAtTime"});
        ringing = found.empty() ? -1 : found.front();
        return ringing > 0;
      },
      static_cast<double>(soon) + 5 - Now()))
      << "the waiter did not start the program";
  const double started = Now();
  EXPECT_EQ(ringing, waiters.front()) << "the waiter itself became the program";
  EXPECT_GE(started, static_cast<double>(soon) - 0.1);
  EXPECT_LT(started, static_cast<double>(soon) + 2);

  // It rings: the ringtone is heard, the screen saver is held off, the window is up; the file
  // already holds only the later call, which is armed.
  EXPECT_TRUE(WaitFor([&] { return AudibleSamples(AudioPath()) > 1000; }, 15))
      << "the ringtone was not heard";
  EXPECT_TRUE(WaitFor([&] { return Lines(ReadFile(ScreenSaverLog())).size() == 2; }, 15));
  EXPECT_THAT(ReadFile(ScreenSaverLog()), HasSubstr("Pelorin|Incoming call"));
  EXPECT_THAT(StoredNames(), ElementsAre("Later"));
  EXPECT_TRUE(WaitFor(
      [&] {
        std::tm local{};
        localtime_r(&later, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return ProcessesRunning({(directory_ / "pelorin-waiter").string(), Program(), text})
                   .size() == 1;
      },
      10))
      << "the next call is armed";
  EXPECT_TRUE(IsRunning(ringing)) << "it keeps ringing until answered";

  const fs::path windows = directory_ / "windows";
  EXPECT_TRUE(WaitFor(
      [&] {
        const pid_t search =
            Start({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(ringing)},
                  environment_, windows);
        waitpid(search, nullptr, 0);
        return !ReadFile(windows).empty();
      },
      10))
      << "no window of the ringing program is shown";

  // F1, the left soft key "Accept", answers; the process ends and with it the inhibit.
  const pid_t press = Start({"xdotool", "key", "F1"}, environment_);
  waitpid(press, nullptr, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsRunning(ringing); }, 10)) << "Accept did not end it";
  EXPECT_TRUE(WaitFor([&] { return Lines(ReadFile(ScreenSaverLog())).size() == 3; }, 10));
  EXPECT_THAT(Lines(ReadFile(ScreenSaverLog())).back(), HasSubstr("released"));
  EXPECT_THAT(StoredNames(), ElementsAre("Later"));
}

}  // namespace
