// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The "MouseClick" system sound, heard through SDL's disk driver.
#include "platform/sound/system_sound.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "tests/sound/disk_output.h"

namespace {

class MouseClickTest : public ::testing::Test {
 protected:
  // The build puts click.wav beside the program.
  void SetUp() override { PretendProgramIn(buildDirectory_); }
  void TearDown() override { SetModuleFileNameForTesting(u""); }
  void PretendProgramIn(const std::filesystem::path& directory) {
    SetModuleFileNameForTesting(FromUtf8((directory / "pelorin").string()));
  }

  std::filesystem::path buildDirectory_ = getenv("PELORIN_BUILD_DIR");
  ScratchDirectory directory_;
};

TEST_F(MouseClickTest, NoDeviceNoClickFileOrAnotherNameIsSilent) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(PlaySoundW(u"MouseClick", nullptr, 0));

  DiskOutput output(directory_ / "device.raw", 1, 22050);
  EXPECT_FALSE(PlaySoundW(u"Ring", nullptr, 0));
  EXPECT_FALSE(PlaySoundW(nullptr, nullptr, 0));
  PretendProgramIn(directory_ / "");
  EXPECT_FALSE(PlaySoundW(u"MouseClick", nullptr, 0));
  EXPECT_FALSE(std::filesystem::exists(directory_ / "device.raw"));
}

TEST_F(MouseClickTest, PlaysTheWholeClickBeforeReturning) {
  const std::vector<std::int16_t> click = ReadWavSamples(buildDirectory_ / "click.wav");
  ASSERT_GT(click.size(), 100u);
  DiskOutput output(directory_ / "device.raw", 1, 22050);
  EXPECT_TRUE(PlaySoundW(u"MouseClick", nullptr, 0));
  // Read without waiting: what the device has at return is what was played.
  const std::string played = ReadBytes(directory_ / "device.raw");
  ASSERT_GE(played.size(), click.size() * 2);
  EXPECT_EQ(played.substr(0, click.size() * 2),
            std::string(reinterpret_cast<const char*>(click.data()), click.size() * 2));
}

}  // namespace
