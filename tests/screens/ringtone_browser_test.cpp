// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The ringtone browser driven by keys over a tree made in a temporary directory, which the
// file enumeration takes as its root: the program still sees "/".
#include "screens/ringtone_browser.h"

#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/find_file.h"
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

constexpr int kFile = 0;
constexpr int kDirectory = 1;

class RingtoneBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(test_support::StartTestScreens("ringtone_browser_tests", &why)) << why;
    test_support::ResetProcessState(&ProgramResources());
    State().chosenRingtonePath = u"/earlier.mp3";
    root_ = test_support::MakeScratchDirectory("browser");
    SetFileRootForTesting(FromUtf8(root_.string()));
  }

  void TearDown() override {
    SetFileRootForTesting({});
    std::filesystem::remove_all(root_);
  }

  void MakeFile(const std::string& path) const {
    std::filesystem::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path) << "x";
  }
  void MakeDirectory(const std::string& path) const {
    std::filesystem::create_directories(root_ / path);
  }

  static int RunBrowser() {
    RingtoneBrowser browser;
    return browser.Run();
  }

  static std::vector<ListRow> Rows() { return ListRows(State().ringtoneList); }
  static std::vector<std::string> Selected() { return SelectedListRows(State().ringtoneList); }
  static std::string Directory() { return ToUtf8(State().browseDirectory); }
  static std::string Chosen() { return ToUtf8(State().chosenRingtonePath); }

  // Moves the selection from the first row down to the row showing `text`.
  static void SelectRow(const std::string& text) {
    const std::vector<ListRow> rows = Rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
      if (rows[row].text == text) {
        for (std::size_t step = 0; step < row; ++step) PressKey(VK_DOWN);
        return;
      }
    }
    ADD_FAILURE() << "no row " << text;
  }

  // The directory's entries in the order the file system lists them, for comparing orders.
  static std::vector<std::string> EnumerationOrder(const std::u16string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(directory + u"*.*", &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(ToUtf8(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }

  std::filesystem::path root_;
};

TEST_F(RingtoneBrowserTest, RootListsDirectoriesAndRingtonesInListingOrderWithoutUpRow) {
  for (const char* file : {"Song.Mp3", "a.b.wav", "TONE.WAV", "song.mp3.bak", "song.", "song.mp4",
                           "song.wave", "wav", ".hidden.mp3", "mp3"}) {
    MakeFile(file);
  }
  MakeDirectory("x.mp3");
  MakeDirectory("Music");
  MakeDirectory("no.dot.dir");
  std::vector<ListRow> rows;
  std::vector<std::string> selected;
  std::vector<ListRow> afterBack;
  std::vector<std::string> selectedAfterBack;
  std::string directoryAfterBack;
  HWND screen = nullptr;
  HWND afterBackScreen = nullptr;
  RunLater([&] {
    screen = NewestScreen();
    rows = Rows();
    selected = Selected();
    PressKey(VK_DOWN);
    PressKey(VK_ESCAPE);  // Back at the root does nothing, not even a new listing
    PressKey(VK_ESCAPE);
    afterBackScreen = NewestScreen();
    afterBack = Rows();
    selectedAfterBack = Selected();
    directoryAfterBack = Directory();
    PressKey(VK_TSOFT2);
  });
  EXPECT_EQ(RunBrowser(), -1);
  EXPECT_EQ(Chosen(), "/earlier.mp3");

  std::vector<ListRow> expected;
  for (const std::string& name : EnumerationOrder(u"/")) {
    if (name == "x.mp3" || name == "Music" || name == "no.dot.dir") {
      expected.push_back({name, kDirectory});
    } else if (name == "Song.Mp3" || name == "a.b.wav" || name == "TONE.WAV" ||
               name == ".hidden.mp3") {
      expected.push_back({name, kFile});
    }
  }
  ASSERT_EQ(expected.size(), 7u);
  EXPECT_THAT(rows, ElementsAreArray(expected));
  EXPECT_THAT(selected, ElementsAre("0+focus"));
  EXPECT_EQ(afterBackScreen, screen);
  EXPECT_THAT(afterBack, ElementsAreArray(expected));
  EXPECT_THAT(selectedAfterBack, ElementsAre("1+focus"));
  EXPECT_EQ(directoryAfterBack, "/");
}

TEST_F(RingtoneBrowserTest, ALongListingOpensAtItsTopWithTheFirstRowSelected) {
  for (int i = 0; i < 30; ++i) {
    MakeFile("Music/tone" + std::to_string(i) + ".mp3");
  }
  int top = -1;
  std::string shown;
  std::vector<std::string> selected;
  RunLater([&] {
    PressKey(VK_RETURN);  // into Music: a listing made after the screen opened
    top = TopShownListRow(State().ringtoneList);
    shown = ToUtf8(ShownListCell(State().ringtoneList, 0, 0));
    selected = Selected();
    PressKey(VK_TSOFT2);
  });
  EXPECT_EQ(RunBrowser(), -1);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(shown, "..");
  EXPECT_THAT(selected, ElementsAre("0+focus"));
}

TEST_F(RingtoneBrowserTest, ActionKeyEntersGoesUpAndPicksFiles) {
  MakeFile("A/B/deep.wav");
  MakeFile("A/x.mp3/inside.wav");  // a directory named like a ringtone
  MakeFile("A/x.wav");
  MakeDirectory("C");
  std::vector<std::string> directories;
  std::vector<std::vector<ListRow>> listings;
  std::vector<std::vector<std::string>> selections;
  auto note = [&] {
    directories.push_back(Directory());
    listings.push_back(Rows());
    selections.push_back(Selected());
  };
  RunLater([&] {
    SelectRow("A");
    PressKey(VK_RETURN);
    note();
    SelectRow("B");
    PressKey(VK_RETURN);
    note();
    PressKey(VK_ESCAPE);
    note();
    PressKey(VK_RETURN);  // on the up row, which is selected
    note();
    SelectRow("A");
    PressKey(VK_RETURN);
    SelectRow("x.mp3");
    PressKey(VK_RETURN);
    note();
    PressKey(VK_ESCAPE);
    SelectRow("x.wav");
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(RunBrowser(), 0);
  EXPECT_EQ(Chosen(), "/A/x.wav");
  EXPECT_THAT(directories, ElementsAre("/A/", "/A/B/", "/A/", "/", "/A/x.mp3/"));
  EXPECT_THAT(listings[1], ElementsAre(ListRow{"..", kDirectory}, ListRow{"deep.wav", kFile}));
  EXPECT_EQ(listings[0], listings[2]);
  ASSERT_EQ(listings[0].size(), 4u);
  EXPECT_EQ(listings[0][0], (ListRow{"..", kDirectory}));
  EXPECT_THAT(listings[3],
              testing::UnorderedElementsAre(ListRow{"A", kDirectory}, ListRow{"C", kDirectory}));
  for (const auto& selection : selections) EXPECT_THAT(selection, ElementsAre("0+focus"));
}

// By touch alone: a tap selects, a tap on the selected row or a double tap does what the
// action key does on it.
TEST_F(RingtoneBrowserTest, TapsOnTheSelectedRowAndDoubleTapsEnterGoUpAndPick) {
  MakeFile("A/B/deep.wav");
  MakeFile("A/x.wav");
  std::vector<std::string> directories;
  const auto tap = [](const std::string& text, bool twice) {
    const std::vector<ListRow> rows = Rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
      RECT place{};
      if (rows[row].text == text &&
          ListRowPlace(State().ringtoneList, static_cast<int>(row), &place)) {
        const int x = (place.left + place.right) / 2;
        const int y = (place.top + place.bottom) / 2;
        twice ? DoubleClickAt(x, y) : ClickAt(x, y);
        return;
      }
    }
    ADD_FAILURE() << "no row " << text << " in sight";
  };
  RunLater([&] {
    tap("A", false);  // the first row is selected when the browser opens
    directories.push_back(Directory());
    tap("B", false);  // selects
    directories.push_back(Directory());
    tap("B", false);  // on the selected row
    directories.push_back(Directory());
    tap("..", false);  // the up row is selected in a folder just entered
    directories.push_back(Directory());
    tap("B", true);
    directories.push_back(Directory());
    PressKey(VK_ESCAPE);
    tap("x.wav", true);
  });
  EXPECT_EQ(RunBrowser(), 0);
  EXPECT_THAT(directories, ElementsAre("/A/", "/A/", "/A/B/", "/A/", "/A/B/"));
  EXPECT_EQ(Chosen(), "/A/x.wav");
}

TEST_F(RingtoneBrowserTest, SelectPicksDirectoriesAndTheUpRowAndEachOpeningStartsAtTheRoot) {
  MakeFile("A/B/deep.wav");
  RunLater([] {
    SelectRow("A");
    PressKey(VK_RETURN);
    SelectRow("B");
    PressKey(VK_TSOFT1);  // "Select"
  });
  EXPECT_EQ(RunBrowser(), 0);
  EXPECT_EQ(Chosen(), "/A/B");

  RunLater([] {
    SelectRow("A");
    PressKey(VK_RETURN);
    PressKey(VK_TSOFT1);  // on the up row
  });
  EXPECT_EQ(RunBrowser(), 0);
  EXPECT_EQ(Chosen(), "/A/..");

  // End an opening deep down; the next one is back at the root.
  RunLater([] {
    SelectRow("A");
    PressKey(VK_RETURN);
    SelectRow("B");
    PressKey(VK_RETURN);
    PressKey(VK_TSOFT2);
  });
  EXPECT_EQ(RunBrowser(), -1);
  EXPECT_EQ(Directory(), "/A/B/");
  EXPECT_EQ(Chosen(), "/A/..");
  std::string directory;
  std::vector<ListRow> rows;
  RunLater([&] {
    directory = Directory();
    rows = Rows();
    PressKey(VK_TSOFT2);
  });
  EXPECT_EQ(RunBrowser(), -1);
  EXPECT_EQ(directory, "/");
  EXPECT_THAT(rows, ElementsAre(ListRow{"A", kDirectory}));
}

TEST_F(RingtoneBrowserTest, DirectoriesWithNothingToShowOrUnreadableHoldTheUpRowAlone) {
  MakeFile("A/readme.txt");
  MakeFile("A/caf\xE9.mp3");  // a Latin-1 name: no exact UTF-16 form, so not listed
  MakeFile("B/song.mp3");
  // Permissions do not stop the superuser; B is then simply readable.
  const bool locked = geteuid() != 0;
  if (locked) std::filesystem::permissions(root_ / "B", std::filesystem::perms::none);
  std::vector<ListRow> inA;
  std::vector<std::string> selected;
  std::vector<ListRow> inB;
  RunLater([&] {
    SelectRow("A");
    PressKey(VK_RETURN);
    inA = Rows();
    selected = Selected();
    PressKey(VK_ESCAPE);
    SelectRow("B");
    PressKey(VK_RETURN);
    inB = Rows();
    PressKey(VK_TSOFT2);
  });
  EXPECT_EQ(RunBrowser(), -1);
  std::filesystem::permissions(root_ / "B", std::filesystem::perms::owner_all);
  EXPECT_THAT(inA, ElementsAre(ListRow{"..", kDirectory}));
  EXPECT_THAT(selected, ElementsAre("0+focus"));
  if (locked) {
    EXPECT_THAT(inB, ElementsAre(ListRow{"..", kDirectory}));
  }
}

TEST_F(RingtoneBrowserTest, PickedPathsNameExactlyTheFileShown) {
  // The longest name the host allows, and one with characters outside ASCII.
  const std::string longest = std::string(251, 'n') + ".wav";
  MakeFile("L/" + longest);
  MakeFile("L/" + longest.substr(0, longest.size() - 1));  // what a cut name would open
  MakeFile("U/Grüße \xF0\x9F\x8E\xB5.MP3");
  RunLater([&] {
    SelectRow("L");
    PressKey(VK_RETURN);
    SelectRow(longest);
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(RunBrowser(), 0);
  EXPECT_EQ(Chosen(), "/L/" + longest);

  RunLater([] {
    SelectRow("U");
    PressKey(VK_RETURN);
    PressKey(VK_DOWN);
    PressKey(VK_TSOFT1);
  });
  EXPECT_EQ(RunBrowser(), 0);
  EXPECT_EQ(Chosen(), "/U/Grüße \xF0\x9F\x8E\xB5.MP3");
}

}  // namespace
