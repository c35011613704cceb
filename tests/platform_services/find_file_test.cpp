// File enumeration over the host's file system, rooted at a temporary directory.
#include "platform/files/find_file.h"

#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/system/text.h"

namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("pelorin-files-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    SetFileRootForTesting(FromUtf8(root_.string() + "/"));
  }

  void TearDown() override {
    SetFileRootForTesting({});
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             root_, std::filesystem::directory_options::skip_permission_denied)) {
      if (entry.is_directory() && !entry.is_symlink()) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all);
      }
    }
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(root_);
  }

  void MakeFile(const std::string& path) const {
    std::filesystem::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path) << "x";
  }
  void MakeDirectory(const std::string& path) const {
    std::filesystem::create_directories(root_ / path);
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
    return names;
  }

  static bool RunsAsSuperuser() { return geteuid() == 0; }

  std::filesystem::path root_;
  static inline int counter_ = 0;
};

TEST_F(FindFileTest, NothingToListGivesNoHandle) {
  WIN32_FIND_DATAW data{};
  EXPECT_EQ(FindFirstFileW(u"/missing/*.*", &data), INVALID_HANDLE_VALUE);
  MakeDirectory("empty");
  EXPECT_EQ(FindFirstFileW(u"/empty/*.*", &data), INVALID_HANDLE_VALUE);
  MakeFile("file");
  EXPECT_EQ(FindFirstFileW(u"/file/*.*", &data), INVALID_HANDLE_VALUE);
  // Only absolute patterns, without zeros or unpaired surrogates, are looked at.
  EXPECT_EQ(FindFirstFileW(u"", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileW(u"*.*", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileW(std::u16string(u"/\0/*.*", 6), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileW(u"/\xD800/*.*", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileW(u"/*.*", nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FindFileTest, UnreadableDirectoryListsNothing) {
  if (RunsAsSuperuser()) GTEST_SKIP() << "permissions do not stop the superuser";
  MakeFile("locked/a.mp3");
  std::filesystem::permissions(root_ / "locked", std::filesystem::perms::none);
  EXPECT_THAT(List(u"/locked/*.*"), IsEmpty());
  // Listable but not searchable: the names still come, each directory-or-not as best known.
  MakeFile("shut/a.mp3");
  std::filesystem::permissions(root_ / "shut", std::filesystem::perms::owner_read);
  EXPECT_THAT(List(u"/shut/*.*"), UnorderedElementsAre("a.mp3"));
}

TEST_F(FindFileTest, EveryEntryOnceWithDirectoriesMarked) {
  MakeFile("Song.Mp3");
  MakeFile("noextension");
  MakeFile(".hidden.wav");
  MakeDirectory("x.mp3");
  MakeDirectory("sub/deeper");
  MakeFile("sub/inner.wav");
  std::filesystem::create_directory_symlink(root_ / "sub", root_ / "link-to-sub");
  std::filesystem::create_symlink(root_ / "gone", root_ / "dangling.mp3");
  EXPECT_THAT(List(u"/*.*"),
              UnorderedElementsAre("Song.Mp3", "noextension", ".hidden.wav", "x.mp3/", "sub/",
                                   "link-to-sub/", "dangling.mp3"));
  EXPECT_THAT(List(u"/*"), UnorderedElementsAre("Song.Mp3", "noextension", ".hidden.wav",
                                                "x.mp3/", "sub/", "link-to-sub/",
                                                "dangling.mp3"));
  EXPECT_THAT(List(u"/sub/*.*"), UnorderedElementsAre("deeper/", "inner.wav"));
  EXPECT_THAT(List(u"/link-to-sub/*.*"), UnorderedElementsAre("deeper/", "inner.wav"));
}

TEST_F(FindFileTest, NamePatternsMatchWholeNames) {
  MakeFile("a.mp3");
  MakeFile("b.mp3.bak");
  MakeFile("c.MP3");
  MakeFile("ab.wav");
  EXPECT_THAT(List(u"/*.mp3"), UnorderedElementsAre("a.mp3"));
  EXPECT_THAT(List(u"/?.*"), UnorderedElementsAre("a.mp3", "b.mp3.bak", "c.MP3"));
  EXPECT_THAT(List(u"/a*"), UnorderedElementsAre("a.mp3", "ab.wav"));
  EXPECT_THAT(List(u"/ab.wav"), UnorderedElementsAre("ab.wav"));
  EXPECT_THAT(List(u"/*.ogg"), IsEmpty());
}

TEST_F(FindFileTest, NamesThatAreNotUtf8AreNeverReportedAsAnotherName) {
  MakeFile("caf\xC3\xA9.mp3");        // "café.mp3" in UTF-8
  MakeFile("caf\xE9.mp3");            // the same in Latin-1: no exact UTF-16 form
  MakeDirectory("\xFF\xFE");
  MakeFile("\xFF\xFE/inside.mp3");
  EXPECT_THAT(List(u"/*.*"), UnorderedElementsAre("caf\xC3\xA9.mp3"));
  WIN32_FIND_DATAW data{};
  ASSERT_NE(FindFirstFileW(u"/caf\u00E9.mp3", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cFileName), u"caf\u00E9.mp3");
}

TEST_F(FindFileTest, LongestHostNamesFitAndAreKeptWhole) {
  const std::string longest(251, 'n');
  MakeFile(longest + ".wav");
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(u"/*.*", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ToUtf8(data.cFileName), longest + ".wav");
  EXPECT_FALSE(FindNextFileW(find, &data));
  EXPECT_TRUE(FindClose(find));
}

TEST_F(FindFileTest, ClosedOrMadeUpHandlesAreRefused) {
  MakeFile("a.mp3");
  MakeFile("b.mp3");
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(u"/*.*", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FindClose(find));
  EXPECT_FALSE(FindNextFileW(find, &data));
  EXPECT_FALSE(FindClose(find));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  int unrelated = 0;
  EXPECT_FALSE(FindNextFileW(&unrelated, &data));
}

}  // namespace
