// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/system/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/system/atomic_file.h"
#include "platform/system/module_path.h"

namespace {

TEST(TextTest, ConvertsBothWaysIncludingSurrogatePairs) {
  const std::u16string text = u"Zoë 電話 \U0001F4DE";
  EXPECT_EQ(ToUtf8(text), "Zo\xC3\xAB \xE9\x9B\xBB\xE8\xA9\xB1 \xF0\x9F\x93\x9E");
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(TextTest, InvalidInputNeverBreaksTheOutput) {
  // A lone lead byte, an overlong slash, an encoded surrogate and a cut sequence.
  const std::string bad =
      "a\xFF"
      "b\xC0\xAF"
      "c\xED\xA0\x80"
      "d\xE9\x9B";
  EXPECT_FALSE(IsValidUtf8(bad));
  const std::u16string decoded = FromUtf8(bad);
  EXPECT_EQ(decoded.find(u'/'), std::u16string::npos);
  EXPECT_EQ(decoded.front(), u'a');
  EXPECT_TRUE(IsValidUtf8(ToUtf8(decoded)));
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
  EXPECT_TRUE(IsValidUtf8("plain"));
}

TEST(TextTest, CopyToFieldNeverPassesTheFieldOrSplitsAPair) {
  char16_t field[6];
  std::fill(std::begin(field), std::end(field), u'#');
  EXPECT_TRUE(CopyToField(field, 4, u"abc"));
  EXPECT_EQ(std::u16string(field), u"abc");
  EXPECT_FALSE(CopyToField(field, 4, u"abcdef"));
  EXPECT_EQ(std::u16string(field), u"abc");
  EXPECT_EQ(field[4], u'#');
  EXPECT_FALSE(CopyToField(field, 4, u"ab\U0001F4DE"));
  EXPECT_EQ(std::u16string(field), u"ab");
}

TEST(ApplicationDirectoryTest, KeepsTheFinalSeparator) {
  SetModuleFileNameForTesting(u"/usr/lib/pelorin/pelorin");
  EXPECT_EQ(GetApplicationDirectory(), u"/usr/lib/pelorin/");
  SetModuleFileNameForTesting(u"/pelorin");
  EXPECT_EQ(GetApplicationDirectory(), u"/");
  SetModuleFileNameForTesting(u"pelorin");
  EXPECT_EQ(GetApplicationDirectory(), u"");
  SetModuleFileNameForTesting({});
  const std::u16string real = GetModuleFileNameW();
  EXPECT_EQ(real, FromUtf8(std::filesystem::canonical("/proc/self/exe").string()));
  EXPECT_EQ(GetApplicationDirectory().back(), u'/');
}

TEST(AtomicFileTest, ReplacesTheFileALinkNames) {
  const auto directory = std::filesystem::temp_directory_path() / "pelorin-atomic-test";
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  std::ofstream(directory / "real.xml") << "old";
  std::filesystem::create_symlink("real.xml", directory / "link.xml");
  ASSERT_TRUE(WriteFileAtomically((directory / "link.xml").string(), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(directory / "link.xml"));
  std::ifstream in(directory / "real.xml");
  std::string content;
  in >> content;
  EXPECT_EQ(content, "new");
  EXPECT_FALSE(WriteFileAtomically((directory / "missing" / "x.xml").string(), "x"));
  std::filesystem::remove_all(directory);
}

}  // namespace
