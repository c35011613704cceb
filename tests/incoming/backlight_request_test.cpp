// The backlight request for real: a private session bus (dbus-daemon) with a stand-in screen
// saver on it (fake_screen_saver), and a process that asks as the incoming call does. Each
// asking process is a fresh child, as each timed launch is, so that its leaving the bus can be
// watched.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/power/power.h"
#include "platform/ui/application.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

std::string ReadFile(const fs::path& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
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

// Waits up to ten seconds for the condition; the result says whether it came true.
bool WaitFor(const std::function<bool()>& condition) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (condition()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

pid_t Spawn(std::vector<std::string> arguments, posix_spawn_file_actions_t* actions) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void Stop(pid_t pid) {
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

// What a child process got from SetPowerRequirement.
struct Answer {
  bool granted = false;
  bool sameOnRepeat = false;
};

// A child process that asks once (and asks again, to see the handle kept) and then holds its
// bus connection until Release.
class Asker {
 public:
  Asker(const std::u16string& device, CEDEVICE_POWER_STATE state) {
    int answer[2];
    int release[2];
    if (pipe(answer) != 0 || pipe(release) != 0) {
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      close(answer[0]);
      close(release[1]);
      int argc = 1;
      char name[] = "backlight_asker";
      char* argv[] = {name, nullptr};
      std::string why;
      StartScreenPlatform(argc, argv, &why);
      HANDLE first = SetPowerRequirement(device, state, POWER_NAME, nullptr, 0);
      HANDLE second = SetPowerRequirement(device, state, POWER_NAME, nullptr, 0);
      const char reply[2] = {first != nullptr ? '1' : '0', first == second ? '1' : '0'};
      (void)!write(answer[1], reply, sizeof reply);
      char ignored = 0;
      (void)!read(release[0], &ignored, 1);  // until the parent closes its end
      _exit(0);
    }
    close(answer[1]);
    close(release[0]);
    releaseEnd_ = release[1];
    char reply[2] = {};
    if (read(answer[0], reply, sizeof reply) == sizeof reply) {
      answer_ = {reply[0] == '1', reply[1] == '1'};
    }
    close(answer[0]);
  }
  ~Asker() { Release(); }

  const Answer& answer() const { return answer_; }

  // Lets the child end, and waits for it.
  void Release() {
    if (releaseEnd_ >= 0) {
      close(releaseEnd_);
      releaseEnd_ = -1;
    }
    if (pid_ > 0) {
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

 private:
  pid_t pid_ = -1;
  int releaseEnd_ = -1;
  Answer answer_;
};

class BacklightRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pelorin-backlight-XXXXXX";
    directory_ = mkdtemp(pattern);
    oldAddress_ = getenv("DBUS_SESSION_BUS_ADDRESS") ? getenv("DBUS_SESSION_BUS_ADDRESS") : "";
    StartBus();
  }

  void TearDown() override {
    Stop(screenSaver_);
    Stop(bus_);
    setenv("DBUS_SESSION_BUS_ADDRESS", oldAddress_.c_str(), 1);
    fs::remove_all(directory_);
  }

  // A session bus of our own: dbus-daemon writes its address to the file, and the test
  // process and its children use that bus from then on.
  void StartBus() {
    const fs::path address = directory_ / "address";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, address.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    bus_ = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_GT(bus_, 0) << "dbus-daemon could not be started";
    ASSERT_TRUE(WaitFor([&] { return ReadFile(address).find('\n') != std::string::npos; }));
    setenv("DBUS_SESSION_BUS_ADDRESS", Lines(ReadFile(address)).front().c_str(), 1);
  }

  void StartScreenSaver() {
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "fake_screen_saver";
    screenSaver_ = Spawn({program.string(), LogPath().string()}, nullptr);
    ASSERT_GT(screenSaver_, 0);
    ASSERT_TRUE(WaitFor([&] { return !Log().empty() && Log().front() == "ready"; }));
  }

  fs::path LogPath() const { return directory_ / "screen-saver.log"; }
  std::vector<std::string> Log() const { return Lines(ReadFile(LogPath())); }

  fs::path directory_;
  std::string oldAddress_;
  pid_t bus_ = -1;
  pid_t screenSaver_ = -1;
};

TEST_F(BacklightRequestTest, WithoutAScreenSaverOrABusNothingIsHeld) {
  Asker nobodyListening(u"BKL1:", D0);
  EXPECT_FALSE(nobodyListening.answer().granted);

  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (directory_ / "no-bus").string()).c_str(), 1);
  Asker noBus(u"BKL1:", D0);
  EXPECT_FALSE(noBus.answer().granted);
}

TEST_F(BacklightRequestTest, OnlyTheBacklightAtFullPowerIsAskedFor) {
  StartScreenSaver();
  EXPECT_FALSE(Asker(u"BKL1:", D1).answer().granted);
  EXPECT_FALSE(Asker(u"BKL2:", D0).answer().granted);
  EXPECT_FALSE(Asker(u"bkl1:", D0).answer().granted);
  EXPECT_FALSE(Asker(u"", D0).answer().granted);
  EXPECT_THAT(Log(), ElementsAre("ready"));
}

TEST_F(BacklightRequestTest, TheScreenSaverIsInhibitedOnceAndReleasedOnlyWhenTheProcessEnds) {
  StartScreenSaver();
  Asker incomingCall(u"BKL1:", D0);
  EXPECT_TRUE(incomingCall.answer().granted);
  EXPECT_TRUE(incomingCall.answer().sameOnRepeat) << "asking again keeps the one request";

  const std::vector<std::string> held = Log();
  ASSERT_EQ(held.size(), 2u);
  EXPECT_THAT(held[1], MatchesRegex("inhibit :[0-9.]+ Pelorin\\|Incoming call [0-9]+"));
  const std::string caller = held[1].substr(8, held[1].find(' ', 8) - 8);

  // Nothing gives it back while the process lives...
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Log(), held);

  // ...and the screen saver drops it as soon as the process has gone.
  incomingCall.Release();
  EXPECT_TRUE(WaitFor([&] { return Log().size() == 3; }));
  EXPECT_THAT(Log(), ElementsAre("ready", held[1], "released " + caller));
}

}  // namespace
