// Starts the built program the way a person or the timed launch does, in a program directory
// of its own, and checks what it leaves behind.
#include <gmock/gmock.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode;
  std::string errors;
};

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("pelorin-entry-" + std::to_string(::getpid()));
    fs::remove_all(directory_);
    fs::create_directories(directory_);
    const fs::path build = std::getenv("PELORIN_BUILD_DIR");
    fs::copy_file(build / "pelorin", directory_ / "pelorin");
  }
  void TearDown() override { fs::remove_all(directory_); }

  void WriteSchedule(const std::string& text) { std::ofstream(directory_ / "pelorin.xml") << text; }
  std::string ReadSchedule() {
    std::stringstream text;
    text << std::ifstream(directory_ / "pelorin.xml").rdbuf();
    return text.str();
  }

  // Runs the copy with the given arguments and environment changes ("NAME=value", or "NAME"
  // alone to remove it).
  Outcome Run(std::vector<std::string> arguments, const std::vector<std::string>& changes) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      bool replaced = false;
      for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        replaced = replaced || text.rfind(name + "=", 0) == 0;
      }
      if (!replaced) {
        environment.push_back(text);
      }
    }
    for (const std::string& change : changes) {
      if (change.find('=') != std::string::npos) {
        environment.push_back(change);
      }
    }
    const std::string program = (directory_ / "pelorin").string();
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const fs::path errors = directory_ / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    std::stringstream text;
    text << std::ifstream(errors).rdbuf();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1000, text.str()};
  }

  fs::path directory_;
};

const std::vector<std::string> kNoDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

TEST_F(EntryTest, WithoutADisplayItSaysSoInOneLineAndEndsWithMinusOne) {
  WriteSchedule("<CallInfo><CI Name=\"old\" CallTimeHigh=\"1\" CallTimeLow=\"0\"/></CallInfo>");
  const Outcome user = Run({}, kNoDisplay);
  EXPECT_EQ(user.exitCode, 255);
  EXPECT_THAT(user.errors, ::testing::HasSubstr("DISPLAY"));
  EXPECT_EQ(std::count(user.errors.begin(), user.errors.end(), '\n'), 1);
  // A user launch without a screen leaves the schedule alone...
  EXPECT_THAT(ReadSchedule(), ::testing::HasSubstr("old"));

  // ...while a timed launch still purges past calls, so the later ones stay armed.
  const Outcome timed = Run({"AppRunAtTime"}, kNoDisplay);
  EXPECT_EQ(timed.exitCode, 255);
  EXPECT_THAT(ReadSchedule(), ::testing::Not(::testing::HasSubstr("old")));

  std::vector<std::string> unreachable = kNoDisplay;
  unreachable.push_back("DISPLAY=:97");
  const Outcome closed = Run({}, unreachable);
  EXPECT_EQ(closed.exitCode, 255);
  EXPECT_THAT(closed.errors, ::testing::HasSubstr(":97"));
}

TEST_F(EntryTest, OnlyTheExactCommandLineIsATimedLaunch) {
  const std::string past = "<CallInfo><CI Name=\"old\" CallTimeHigh=\"1\" CallTimeLow=\"0\"/></CallInfo>";
  const std::vector<std::string> offscreen = {"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=dummy"};
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"apprunattime"}, {"AppRunAtTime "}, {"AppRunAtTime", "x"}}) {
    WriteSchedule(past);
    const Outcome outcome = Run(arguments, kNoDisplay);
    EXPECT_EQ(outcome.exitCode, 255);
    EXPECT_THAT(ReadSchedule(), ::testing::HasSubstr("old")) << arguments[0];
  }
  WriteSchedule(past);
  EXPECT_EQ(Run({"AppRunAtTime"}, offscreen).exitCode, 0);
}

}  // namespace
