// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// File enumeration over the host's file system, rooted at a temporary directory.
#include "platform/files/find_file.h"

#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/system/text.h"
#include "tests/support/scratch_directory.h"

namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test_support::MakeScratchDirectory("files");
    SetFileRootForTesting(FromUtf8(root_.string() + "/"));
  }
  void TearDown() override {
    SetFileRootForTesting({});
    std::filesystem::remove_all(root_);
  }

  // A file, or a directory when the path ends with "/".
  void MakeFile(const std::string& path) const {
    std::filesystem::create_directories((root_ / path).parent_path());
    if (!path.ends_with('/')) std::ofstream(root_ / path) << "x";
  }

  // Every entry the pattern lists, "name/" for directories.
  static std::vector<std::string> List(const std::u16string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      names.push_back(ToUtf8(data.cFileName) + (directory ? "/" : ""));
    } while (FindNextFileW(find, &data));
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindNextFileW(find, &data));  // closed handles are refused, not followed
    EXPECT_FALSE(FindClose(find));
    return names;
  }

  std::filesystem::path root_;
};

TEST_F(FindFileTest, NothingToListGivesNoHandle) {
  MakeFile("empty/");
  MakeFile("file");
  WIN32_FIND_DATAW data{};
  for (const std::u16string& pattern :
       std::vector<std::u16string>{u"/missing/*.*", u"/empty/*.*", u"/file/*.*", u"", u"*.*",
                                   u"/\xD800/*.*", std::u16string(u"/\0/*.*", 6)}) {
    EXPECT_EQ(FindFirstFileW(pattern, &data), INVALID_HANDLE_VALUE) << ToUtf8(pattern);
  }
}

TEST_F(FindFileTest, UnreadableDirectoryListsNothing) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
  MakeFile("locked/a.mp3");
  std::filesystem::permissions(root_ / "locked", std::filesystem::perms::none);
  EXPECT_THAT(List(u"/locked/*.*"), IsEmpty());
  std::filesystem::permissions(root_ / "locked", std::filesystem::perms::owner_all);
}

TEST_F(FindFileTest, EveryEntryOnceWithDirectoriesAndLinksToThemMarked) {
  MakeFile("Song.Mp3");
  MakeFile("noextension");
  MakeFile("x.mp3/");
  MakeFile("sub/inner.wav");
  std::filesystem::create_directory_symlink(root_ / "sub", root_ / "link-to-sub");
  std::filesystem::create_symlink(root_ / "gone", root_ / "dangling.mp3");
  const auto everything = UnorderedElementsAre("Song.Mp3", "noextension", "x.mp3/", "sub/",
                                               "link-to-sub/", "dangling.mp3");
  EXPECT_THAT(List(u"/*.*"), everything);
  EXPECT_THAT(List(u"/*"), everything);
  EXPECT_THAT(List(u"/*.mp3"), UnorderedElementsAre("x.mp3/", "dangling.mp3"));
  EXPECT_THAT(List(u"/link-to-sub/*.*"), UnorderedElementsAre("inner.wav"));
}

TEST_F(FindFileTest, NamesThatAreNotUtf8AreNeverReportedAsAnotherName) {
  MakeFile("caf\xC3\xA9.mp3");  // "café.mp3" in UTF-8
  MakeFile("caf\xE9.mp3");      // the same in Latin-1: no exact UTF-16 form
  MakeFile("\xFF\xFE/inside.mp3");
  EXPECT_THAT(List(u"/*.*"), UnorderedElementsAre("caf\xC3\xA9.mp3"));
}

}  // namespace
