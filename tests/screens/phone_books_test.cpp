// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The caller picker over a Linux phone's own books, picked from through the new call screen's
// keys and saved: the real Evolution Data Server on a session bus of the test's own, and a
// stand-in oFono (stand_in_services.py) on a bus of its own used as the system bus.
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>

#include "screens/new_call_screen.h"
#include "tests/screens/call_screens_fixture.h"
#include "tests/screens/list_rows.h"
#include "tests/support/session_bus.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Lt;
using namespace std::chrono_literals;

constexpr char kSources[] = "org.gnome.evolution.dataserver.Sources5";

std::string Card(const std::string& name) {
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + name + "\r\nEND:VCARD\r\n";
}

// Runs a program beside the tests to its end; its exit code, or -1 when it did not end in time.
int RunBeside(std::vector<std::string> command, const std::filesystem::path& log) {
  command.front() =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / command.front()).string();
  const int process = test_support::Spawn(command, test_support::EnvironmentWith(), log, log);
  int status = 0;
  if (!test_support::WaitUntil([&] { return waitpid(process, &status, WNOHANG) == process; },
                               60s)) {
    test_support::Stop(process);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PhoneBooksTest : public CallScreensFixture {
 protected:
  void SetUp() override {
    CallScreensFixture::SetUp();
    // The data server keeps its books and settings under the home of the test's own.
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name,
                          value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    const std::filesystem::path home = directory_ / "home";
    for (const char* folder : {".local/share/contacts", ".config", ".cache"}) {
      std::filesystem::create_directories(home / folder);
    }
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);  // no dconf on the test's bus
    ASSERT_TRUE(session_.Start(directory_));
    setenv("DBUS_SESSION_BUS_ADDRESS", session_.address().c_str(), 1);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/pelorin-test-bus", 1);
    std::ofstream(home / ".local/share/contacts/desk.vcf", std::ios::binary) << Card("Lee;Ann");
    WriteSchedule("<CallInfo/>");
  }

  void TearDown() override {
    session_.Stop();
    system_.Stop();
    for (const auto& [name, value] : saved_) {
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    for (const char* name :
         {"GSETTINGS_BACKEND", "DBUS_SESSION_BUS_ADDRESS", "DBUS_SYSTEM_BUS_ADDRESS"}) {
      unsetenv(name);
    }
    CallScreensFixture::TearDown();
  }

  // Opens the picker with "Get CallerName", keeps its rows and how long it took to show them,
  // moves `down` rows, picks with "Done" and saves the call. The schedule file then holds the
  // picked name.
  std::vector<std::string> PickAndSave(int down, std::chrono::milliseconds* opening = nullptr) {
    std::vector<std::string> rows{"not shown"};
    std::chrono::steady_clock::time_point asked;
    RunLater([&] {
      asked = std::chrono::steady_clock::now();
      ChooseFromMenu('2');  // Get CallerName
    });
    RunLater([&, down] {
      if (opening != nullptr) {
        *opening = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - asked);
      }
      rows = ListTexts(State().callerList);
      for (int i = 0; i < down; ++i) PressKey(VK_DOWN);
      PressKey(VK_F1);  // Done
    });
    RunLater([] { PressKey(VK_F1); });  // SAVE
    QueueRescue();
    NewCallScreen screen;
    EXPECT_EQ(screen.Run(), 0);
    ++serial_;  // the rescue left over from this opening must not act in the next one
    return rows;
  }

  std::filesystem::path Log(const std::string& name) const { return directory_ / name; }
  static std::string StandIn() { return PELORIN_STAND_INS; }

  test_support::PrivateSessionBus session_;
  test_support::PrivateSessionBus system_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(PhoneBooksTest, EvolutionPeopleArePickedAndADataServerMissingOrHungIsPassedOver) {
  std::chrono::milliseconds opening{};
  EXPECT_THAT(PickAndSave(0, &opening), ElementsAre("Lee Ann"));
  EXPECT_THAT(opening, Lt(2s)) << "no data server on the bus";

  ASSERT_TRUE(session_.StartService({StandIn(), "silent", kSources}, Log("hung.log"), "ready"));
  EXPECT_THAT(PickAndSave(0, &opening), ElementsAre("Lee Ann"));
  EXPECT_THAT(opening, Lt(10s)) << "a data server that never answers";
  session_.StopServices();

  const std::vector<std::string> debug{"G_MESSAGES_DEBUG=all"};  // says when it is up
  ASSERT_TRUE(session_.StartService({"/usr/libexec/evolution-source-registry"}, Log("registry.log"),
                                    "Server is up and running", debug));
  ASSERT_TRUE(session_.StartService({"/usr/libexec/evolution-addressbook-factory"},
                                    Log("factory.log"), "Server is up and running", debug));
  ASSERT_EQ(RunBeside({"evolution_contacts", Card("Lee;Ann"), Card("Ortiz;Ram\xC3\xB3n"),
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jo\r\nEND:VCARD\r\n"},
                      Log("added.log")),
            0)
      << test_support::ReadFile(Log("added.log"));
  // Ann is in the desktop's book and the data server's: one row.
  EXPECT_THAT(PickAndSave(2), ElementsAre("Jo", "Lee Ann", "Ortiz Ram\xC3\xB3n"));
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Ortiz Ram\xC3\xB3n\""));
}

TEST_F(PhoneBooksTest, SimEntriesComeFromOfonoAfterTheContactsAndAMissingOrHungOneIsPassedOver) {
  std::filesystem::create_directories(directory_ / "system");
  ASSERT_TRUE(system_.Start(directory_ / "system"));
  setenv("DBUS_SYSTEM_BUS_ADDRESS", system_.address().c_str(), 1);
  std::chrono::milliseconds opening{};
  EXPECT_THAT(PickAndSave(0, &opening), ElementsAre("Lee Ann"));
  EXPECT_THAT(opening, Lt(2s)) << "no oFono on the system bus";

  ASSERT_TRUE(system_.StartService({StandIn(), "silent", "org.ofono"}, Log("hung.log"), "ready"));
  EXPECT_THAT(PickAndSave(0, &opening), ElementsAre("Lee Ann"));
  EXPECT_THAT(opening, Lt(10s)) << "an oFono that never answers";
  system_.StopServices();

  ASSERT_TRUE(system_.StartService({StandIn(), "ofono", Log("ofono.log").string()},
                                   Log("ofono.out"), "ready"));
  // The entry without a name is left out; the others follow the contacts in oFono's order.
  EXPECT_THAT(PickAndSave(1), ElementsAre("Lee Ann", "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m", "Mum"));
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m\""));
  EXPECT_THAT(test_support::Lines(test_support::ReadFile(Log("ofono.log"))),
              ElementsAre("GetModems", "Import /phonesim"));
}

}  // namespace
