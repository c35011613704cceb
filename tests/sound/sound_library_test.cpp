// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The sound library's own rules that the ringtone player does not show, on the real library
// with SDL's disk driver.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/sound/fsound.h"
#include "tests/sound/disk_output.h"

namespace {

constexpr int kRate = 22050;
constexpr double kAudible = 500;

TEST(SoundLibraryStartTest, NoAudioDeviceOrBadValuesMeanNoStartAndNothingOpens) {
  ScratchDirectory directory;
  WriteToneWav(directory / "tone.wav", 8000, 1, 0.1, 440);
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(FSOUND_Init(kRate, 48, FSOUND_INIT_GLOBALFOCUS));
  EXPECT_EQ(FSOUND_Stream_Open((directory / "tone.wav").c_str(), FSOUND_LOOP_NORMAL, 0, 0),
            nullptr);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_FALSE(FSOUND_Init(0, 48, 0));
  EXPECT_FALSE(FSOUND_Init(kRate, 0, 0));
  EXPECT_TRUE(FSOUND_Init(kRate, 48, 0));
  FSOUND_Close();
}

class SoundLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSOUND_SetBufferSize(200);
    ASSERT_TRUE(FSOUND_Init(kRate, 48, FSOUND_INIT_GLOBALFOCUS));
  }
  void TearDown() override { FSOUND_Close(); }

  std::string Path(const std::string& name) { return (directory_ / name).string(); }

  ScratchDirectory directory_;
  DiskOutput output_{directory_ / "device.raw", 2, kRate};
};

TEST_F(SoundLibraryTest, ModuleVolumeAndSeparationShapeTheOutput) {
  WriteToneModule(directory_ / "tune.mod");
  // The module's only voice is on an Amiga's left channel: at full separation the right side
  // stays silent, at none both sides are the same. Volume scales linearly to 256.
  struct Setting {
    int volume;
    float separation;
  };
  double fullLeft = 0;
  for (const Setting setting : {Setting{256, 1.0f}, Setting{64, 1.0f}, Setting{256, 0.0f}}) {
    FMUSIC_MODULE* module = FMUSIC_LoadSong(Path("tune.mod").c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(FMUSIC_SetMasterVolume(module, setting.volume));
    EXPECT_TRUE(FMUSIC_SetPanSeperation(module, setting.separation));
    EXPECT_TRUE(FMUSIC_PlaySong(module));
    output_.RecordFor(0.5);
    const double left = output_.Level(0.05, 0.45, 0);
    const double right = output_.Level(0.05, 0.45, 1);
    if (setting.separation == 0.0f) {
      EXPECT_GT(left, kAudible);
      EXPECT_NEAR(left, right, 1);
    } else if (setting.volume == 256) {
      fullLeft = left;
      EXPECT_GT(left, kAudible);
      EXPECT_LT(right, 1);
    } else {
      EXPECT_NEAR(left / fullLeft, 0.25, 0.01);
    }
    ASSERT_TRUE(FSOUND_Init(kRate, 48, 0));
  }
  FMUSIC_MODULE* module = FMUSIC_LoadSong(Path("tune.mod").c_str());
  EXPECT_FALSE(FMUSIC_SetMasterVolume(module, 257));
  EXPECT_FALSE(FMUSIC_SetPanSeperation(module, 1.5f));
}

}  // namespace
