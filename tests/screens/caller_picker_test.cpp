// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The caller picker driven by keys, over an address book of vCard files in a temporary
// directory (or a scripted contacts database) and a scripted SIM card.
#include "screens/caller_picker.h"

#include <gmock/gmock.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/contacts/pocket_outlook.h"
#include "platform/sim/sim_manager.h"
#include "platform/ui/application.h"
#include "platform/ui/keys.h"
#include "platform/ui/testing/screen_driver.h"
#include "resources/resource_table.h"
#include "tests/screens/list_rows.h"
#include "tests/support/process_state_reset.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/screen_platform.h"
#include "toolkit/process_state.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

struct SimScript {
  bool initialises = true;
  bool rangeReadable = true;
  std::uint32_t lowest = 1;
  std::uint32_t highest = 0;
  std::map<std::uint32_t, std::u16string> entries;  // indexes not here fail to read
  // What the card was asked, over every session.
  std::vector<std::uint32_t> reads;
  int closed = 0;
};

class ScriptedSim : public SimCard {
 public:
  explicit ScriptedSim(SimScript* script) : script_(script) {}
  ~ScriptedSim() override { ++script_->closed; }
  bool GetPhonebookIndexRange(std::uint32_t* lowest, std::uint32_t* highest) override {
    *lowest = script_->lowest;
    *highest = script_->highest;
    return script_->rangeReadable;
  }
  bool ReadPhonebookEntry(std::uint32_t index, std::u16string*, std::u16string* text) override {
    script_->reads.push_back(index);
    const auto found = script_->entries.find(index);
    if (found == script_->entries.end()) return false;
    *text = found->second;
    return true;
  }

 private:
  SimScript* script_;
};

class CallerPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(test_support::StartTestScreens("caller_picker_tests", &why)) << why;
    test_support::ResetProcessState(&ProgramResources());
    State().chosenCallerName = u"Earlier";
    data_ = test_support::MakeScratchDirectory("picker");
    std::filesystem::create_directories(data_ / "contacts");
    setenv("XDG_DATA_HOME", data_.c_str(), 1);
    // The data server of the person running the tests has people of its own.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pelorin-test-bus", 1);
    SetSimCardFactoryForTesting([this]() -> std::unique_ptr<SimCard> {
      if (!sim_.initialises) return nullptr;
      return std::make_unique<ScriptedSim>(&sim_);
    });
  }

  void TearDown() override {
    SetSimCardFactoryForTesting({});
    SetPocketOutlookFactoryForTesting({});
    unsetenv("XDG_DATA_HOME");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::filesystem::remove_all(data_);
  }

  void WriteCards(const std::string& text, const std::string& file = "contacts/cards.vcf") const {
    std::filesystem::create_directories((data_ / file).parent_path());
    std::ofstream(data_ / file, std::ios::binary) << text;
  }
  static std::string Card(const std::string& name) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + name + "\r\nEND:VCARD\r\n";
  }

  static int RunPicker() {
    CallerPicker picker;
    return picker.Run();
  }
  // The rows of one opening, which "Cancel" ends.
  static std::vector<std::string> RowsOfOneOpening() {
    std::vector<std::string> rows{"not shown"};
    RunLater([&] {
      rows = ListTexts(State().callerList);
      PressKey(VK_TSOFT2);
    });
    EXPECT_EQ(RunPicker(), -1);
    return rows;
  }
  static std::string Chosen() { return ToUtf8(State().chosenCallerName); }

  SimScript sim_;
  std::filesystem::path data_;
};

TEST_F(CallerPickerTest, NothingToListGivesAnEmptyListThatDoneCannotLeave) {
  sim_.highest = 250;  // every read fails
  std::vector<std::string> rows{"x"};
  HWND screen = nullptr;
  std::vector<HWND> afterKeys;
  RunLater([&] {
    screen = NewestScreen();
    rows = ListTexts(State().callerList);
    PressKey(VK_TSOFT1);  // "Done"
    afterKeys.push_back(NewestScreen());
    PressKey(VK_RETURN);
    afterKeys.push_back(NewestScreen());
    PressKey(VK_TSOFT2);  // "Cancel"
  });
  EXPECT_EQ(RunPicker(), -1);
  EXPECT_THAT(rows, IsEmpty());
  ASSERT_NE(screen, nullptr);
  EXPECT_THAT(afterKeys, ElementsAre(screen, screen));
  EXPECT_EQ(Chosen(), "Earlier");
  std::vector<std::uint32_t> everyIndex;
  for (std::uint32_t index = 1; index <= 250; ++index) everyIndex.push_back(index);
  EXPECT_THAT(sim_.reads, ElementsAreArray(everyIndex));
  EXPECT_EQ(sim_.closed, 1);
}

TEST_F(CallerPickerTest, ContactsByNameThenSimEntriesByIndexWithTheFirstRowSelected) {
  // Without a name the card's FN is shown; a card with neither is not listed; a name part
  // alone leaves no blank beside it. The contacts are in alphabetical order, letter case and
  // accents aside.
  WriteCards(Card("Lee;Ann") + Card(";Bo") + Card("Nguyen;") + Card("") + Card("adams;amy") +
             "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:"
             "=C3=96zdemir;=C5=9E=\r\nule\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:\xC3\x89mile Zola\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:Zed\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nEND:VCARD\r\n");
  sim_.lowest = 2;
  sim_.highest = 10;
  sim_.entries = {{9, u"Sim Nine"}, {4, u"Sim Four"}, {6, u""}, {11, u"Outside"}, {1, u"Below"}};
  std::vector<ListRow> rows;
  std::vector<std::string> selected;
  long width = 0;
  int closedWhileShown = -1;
  RunLater([&] {
    rows = ListRows(State().callerList);
    selected = SelectedListRows(State().callerList);
    width = ShownColumnWidth(State().callerList, 0);
    closedWhileShown = sim_.closed;
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_TSOFT1);
  });
  EXPECT_EQ(RunPicker(), 0);
  EXPECT_THAT(rows, ElementsAre(ListRow{"adams amy", 0}, ListRow{"Bo", 0}, ListRow{"Émile Zola", 0},
                                ListRow{"Lee Ann", 0}, ListRow{"Nguyen", 0},
                                ListRow{"Özdemir Şule", 0}, ListRow{"Zed", 0},
                                ListRow{"Sim Four", 0}, ListRow{"", 0}, ListRow{"Sim Nine", 0}));
  EXPECT_EQ(Chosen(), "Émile Zola");
  EXPECT_THAT(selected, ElementsAre("0+focus"));
  EXPECT_EQ(width, 176);
  EXPECT_THAT(sim_.reads, ElementsAre(2, 3, 4, 5, 6, 7, 8, 9, 10));
  EXPECT_EQ(closedWhileShown, 1);
}

TEST_F(CallerPickerTest, PlasmaMobileCardsJoinTheDesktopsAndTheSamePersonShowsOnce) {
  WriteCards(Card("Lee;Ann") + Card("Kim;Bo") + Card("Kim;Bo"));
  WriteCards(Card("Lee;Ann") + "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kim Bo\r\nEND:VCARD\r\n",
             "kpeoplevcard/0a1b.vcf");
  WriteCards(Card("Moss;Cy"), "kpeoplevcard/kdeconnect-5f2e/77.vcf");  // a paired phone's people
  WriteCards(Card("Hidden;Not"), "kpeoplevcard/.trash/1.vcf");
  // Two cards of one book stay two people; the card with "Kim Bo" as its FN alone shows the
  // same name and is left out.
  EXPECT_THAT(RowsOfOneOpening(), ElementsAre("Kim Bo", "Kim Bo", "Lee Ann", "Moss Cy"));
}

TEST_F(CallerPickerTest, ALongListOpensAtItsTopWithTheFirstContactSelected) {
  WriteCards(Card("Lee;Ann"));
  sim_.highest = 30;
  for (std::uint32_t index = 1; index <= 30; ++index) {
    sim_.entries[index] = u"Sim " + FromUtf8(std::to_string(index));
  }
  int top = -1;
  std::string shown;
  std::vector<std::string> selected;
  RunLater([&] {
    top = TopShownListRow(State().callerList);
    shown = ToUtf8(ShownListCell(State().callerList, 0, 0));
    selected = SelectedListRows(State().callerList);
    PressKey(VK_TSOFT2);
  });
  EXPECT_EQ(RunPicker(), -1);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(shown, "Lee Ann");
  EXPECT_THAT(selected, ElementsAre("0+focus"));
}

TEST_F(CallerPickerTest, SimRangesAndFailuresLeaveTheContactRows) {
  WriteCards(Card("Lee;Ann"));
  sim_.entries = {{4, u"x"}, {5, u"y"}, {7, u"Seven"}, {1, u"z"}};
  struct Case {
    const char* what;
    bool initialises;
    bool rangeReadable;
    std::uint32_t lowest;
    std::uint32_t highest;
    std::vector<std::string> rows;
    int closed;
  };
  for (const Case& c : std::vector<Case>{{"lowest above highest", true, true, 5, 4, {"Lee Ann"}, 1},
                                         {"one index", true, true, 7, 7, {"Lee Ann", "Seven"}, 1},
                                         {"range unreadable", true, false, 1, 3, {"Lee Ann"}, 1},
                                         {"no card", false, true, 1, 3, {"Lee Ann"}, 0}}) {
    SCOPED_TRACE(c.what);
    sim_.initialises = c.initialises;
    sim_.rangeReadable = c.rangeReadable;
    sim_.lowest = c.lowest;
    sim_.highest = c.highest;
    sim_.closed = 0;
    sim_.reads.clear();
    EXPECT_THAT(RowsOfOneOpening(), ElementsAreArray(c.rows));
    EXPECT_EQ(sim_.reads.size(), c.rows.size() - 1);
    EXPECT_EQ(sim_.closed, c.closed);
  }
}

TEST_F(CallerPickerTest, DoneOrTheActionKeyPicksTheSelectedRowAndCancelOrBackKeepThePick) {
  WriteCards(Card("Kim;Bo") + Card("Lee;Ann"));
  sim_.highest = 1;
  sim_.entries = {{1, u"Sim One"}};
  RunLater([] {
    PressKey(VK_DOWN);
    PressKey(VK_TSOFT1);
  });
  EXPECT_EQ(RunPicker(), 0);
  EXPECT_EQ(Chosen(), "Lee Ann");

  RunLater([] {
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(RunPicker(), 0);
  EXPECT_EQ(Chosen(), "Sim One");

  RunLater([] {
    PressKey(VK_DOWN);
    PressKey(VK_TSOFT2);
  });
  EXPECT_EQ(RunPicker(), -1);
  RunLater([] { PressKey(VK_ESCAPE); });
  EXPECT_EQ(RunPicker(), -1);
  EXPECT_EQ(Chosen(), "Sim One");
}

// A contacts database whose every step can be made to fail, recording how it is used.
struct DatabaseScript {
  bool logsOn = true;
  bool hasFolder = true;
  bool hasItems = true;
  bool countReadable = true;
  bool firstReadable = true;
  std::vector<std::optional<std::u16string>> contacts;  // "first last"; none: cannot be fetched
  int alive = 0;
  std::vector<std::string> calls;
};

class ScriptedContact : public Contact {
 public:
  ScriptedContact(DatabaseScript* script, std::u16string names)
      : script_(script), names_(std::move(names)) {}
  bool get_FirstName(std::u16string* name) override {
    *name = names_.substr(0, names_.find(u' '));
    return script_->firstReadable;
  }
  bool get_LastName(std::u16string* name) override {
    *name = names_.substr(names_.find(u' ') + 1);
    return true;
  }
  bool get_FileAs(std::u16string*) override { return false; }

 private:
  DatabaseScript* script_;
  std::u16string names_;
};

// The application, its folder and its items in one, each handed out as its own object.
class ScriptedDatabase : public PocketOutlookApp, public ContactFolder, public ContactItems {
 public:
  explicit ScriptedDatabase(DatabaseScript* script) : script_(script) { ++script_->alive; }
  ~ScriptedDatabase() override { --script_->alive; }
  bool Logon() override {
    script_->calls.push_back("Logon");
    return loggedOn_ = script_->logsOn;
  }
  void Logoff() override { script_->calls.push_back("Logoff"); }
  std::unique_ptr<ContactFolder> GetDefaultFolder(int kind) override {
    script_->calls.push_back("GetDefaultFolder " + std::to_string(kind));
    return loggedOn_ && script_->hasFolder ? std::make_unique<ScriptedDatabase>(script_) : nullptr;
  }
  std::unique_ptr<ContactItems> get_Items() override {
    return script_->hasItems ? std::make_unique<ScriptedDatabase>(script_) : nullptr;
  }
  bool get_Count(int* count) override {
    *count = script_->countReadable ? static_cast<int>(script_->contacts.size()) : 99;
    return script_->countReadable;
  }
  std::unique_ptr<Contact> Item(int index) override {
    const auto& names = script_->contacts.at(static_cast<std::size_t>(index - 1));
    return names ? std::make_unique<ScriptedContact>(script_, *names) : nullptr;
  }

 private:
  DatabaseScript* script_;
  bool loggedOn_ = false;
};

class CallerPickerDatabaseTest : public CallerPickerTest {
 protected:
  void SetUp() override {
    CallerPickerTest::SetUp();
    sim_.highest = 1;
    sim_.entries = {{1, u"Sim One"}};
    SetPocketOutlookFactoryForTesting(
        [this] { return std::make_unique<ScriptedDatabase>(&database_); });
  }
  DatabaseScript database_;
};

TEST_F(CallerPickerDatabaseTest, SessionIsOpenedAtInitialisationAndClosedWithThePicker) {
  database_.contacts = {u"Ann Lee"};
  std::vector<std::string> callsBeforeRun{"x"};
  std::vector<std::string> callsWhileShown;
  {
    CallerPicker picker;
    callsBeforeRun = database_.calls;
    RunLater([&] {
      callsWhileShown = database_.calls;
      PressKey(VK_TSOFT2);
    });
    EXPECT_EQ(picker.Run(), -1);
    EXPECT_EQ(database_.alive, 1);
    EXPECT_NE(State().contactSession, nullptr);
  }
  EXPECT_THAT(callsBeforeRun, IsEmpty());
  EXPECT_THAT(callsWhileShown, ElementsAre("Logon", "GetDefaultFolder 10"));
  EXPECT_THAT(database_.calls, ElementsAre("Logon", "GetDefaultFolder 10", "Logoff"));
  EXPECT_EQ(database_.alive, 0);
  EXPECT_EQ(State().contactSession, nullptr);
}

TEST_F(CallerPickerDatabaseTest, ContactFailuresAreSilentAndTheSimRowsStillCome) {
  database_.contacts = {u"Ann Lee", std::nullopt, u"Bo "};
  EXPECT_THAT(RowsOfOneOpening(), ElementsAre("Bo", "Lee Ann", "Sim One"));
  database_.firstReadable = false;
  EXPECT_THAT(RowsOfOneOpening(), ElementsAre("Lee", "Sim One"));
  database_.firstReadable = true;
  for (bool* step :
       {&database_.countReadable, &database_.hasItems, &database_.hasFolder, &database_.logsOn}) {
    *step = false;
    EXPECT_THAT(RowsOfOneOpening(), ElementsAre("Sim One"));
    *step = true;
  }
  // A failed logon still logs off and lets go of the application object.
  EXPECT_EQ(database_.calls.back(), "Logoff");
  EXPECT_EQ(database_.alive, 0);
  SetPocketOutlookFactoryForTesting([] { return std::unique_ptr<PocketOutlookApp>(); });
  EXPECT_THAT(RowsOfOneOpening(), ElementsAre("Sim One"));
}

}  // namespace
