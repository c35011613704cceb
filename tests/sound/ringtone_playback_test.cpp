// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The ringtone player on the real sound library, heard through SDL's disk driver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "incoming/ringtone_player.h"
#include "platform/sound/fsound.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "tests/sound/disk_output.h"

namespace {

constexpr int kRate = 22050;
// Well above the dither and decoder noise of a quiet stretch, well below any tone here.
constexpr double kAudible = 500;
constexpr double kQuiet = 50;

void Play(const std::filesystem::path& path) {
  PlayRingtone(FromUtf8(path.string()).c_str());
}

std::filesystem::path DefaultRingtone() {
  return std::filesystem::path(getenv("PELORIN_SOURCE_DIR")) / "resources" / "ringtone1.mp3";
}

class RingtonePlaybackTest : public ::testing::Test {
 protected:
  // The program runs from a directory of the test's own, with the default ringtone and the
  // click beside it unless a test takes them away.
  void SetUp() override {
    std::filesystem::create_directory(program_);
    std::filesystem::copy_file(DefaultRingtone(), program_ / "ringtone1.mp3");
    std::filesystem::copy_file(
        std::filesystem::path(getenv("PELORIN_SOURCE_DIR")) / "resources" / "click.wav",
        program_ / "click.wav");
    SetModuleFileNameForTesting(FromUtf8((program_ / "pelorin").string()));
  }
  void TearDown() override { SetModuleFileNameForTesting(u""); }

  // Plays `path` and gives the lines the program wrote on stderr (the disk driver and the MP3
  // decoder write their own).
  static std::string PlaySaying(const std::filesystem::path& path) {
    ::testing::internal::CaptureStderr();
    Play(path);
    std::istringstream written(::testing::internal::GetCapturedStderr());
    std::string said;
    for (std::string line; std::getline(written, line);) {
      if (line.starts_with("pelorin:")) said += line + "\n";
    }
    return said;
  }

  ScratchDirectory directory_;
  std::filesystem::path program_ = directory_ / "program";
  DiskOutput output_{directory_ / "device.raw", 2, kRate};
};

TEST_F(RingtonePlaybackTest, BadRingtoneRingsTheDefaultRingtoneInsteadAndSaysWhy) {
  std::filesystem::create_directory(directory_ / "folder.mp3");
  WriteBytes(directory_ / "empty.mp3", "");
  WriteBytes(directory_ / "noise.mp3", std::string(4000, '\x5A'));
  WriteBytes(directory_ / "bad-header.wav", "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0garbage!");
  WriteToneWav(directory_ / "tone.wav", 8000, 1, 0.1, 440);
  WriteBytes(directory_ / "cut-header.wav", ReadBytes(directory_ / "tone.wav").substr(0, 30));
  WriteBytes(directory_ / "no-frames.wav", ReadBytes(directory_ / "tone.wav").substr(0, 44));
  WriteToneModule(directory_ / "tune.mod");
  WriteBytes(directory_ / "cut-header.mod", ReadBytes(directory_ / "tune.mod").substr(0, 600));
  // Opening a pipe without a writer waits for ever; the library must not try.
  ASSERT_EQ(mkfifo((directory_ / "pipe.wav").c_str(), 0600), 0);
  WriteToneWav(directory_ / "locked.wav", 8000, 1, 0.1, 440);
  std::filesystem::permissions(directory_ / "locked.wav", std::filesystem::perms::none);
  // A playable file whose path is longer than 255 bytes, and another one at the path cut to
  // 255 bytes: neither may play.
  const std::size_t room = 255 - (directory_ / "").string().size();
  const std::string cut(room, 'a');
  WriteToneWav(directory_ / cut, 8000, 1, 0.1, 440);
  WriteToneWav(directory_ / (cut + "-longer.wav"), 8000, 1, 0.1, 440);

  const std::string unreadable = "not a file that can be read";
  const std::string notSound = "not a sound file";
  std::vector<std::pair<std::string, std::string>> kinds{
      {"absent.mp3", "no such file"}, {"folder.mp3", unreadable},
      {"empty.mp3", notSound},        {"noise.mp3", notSound},
      {"bad-header.wav", notSound},   {"cut-header.wav", notSound},
      {"no-frames.wav", notSound},    {"cut-header.mod", notSound},
      {"pipe.wav", unreadable},       {cut + "-longer.wav", "its path is longer than 255 bytes"}};
  if (geteuid() != 0) {  // permissions do not stop the superuser
    kinds.emplace_back("locked.wav", unreadable);
  }
  for (const auto& [name, why] : kinds) {
    const std::string said = PlaySaying(directory_ / name);
    output_.RecordFor(0.4);
    EXPECT_GT(output_.Level(0.1, 0.3), kAudible) << name;
    EXPECT_THAT(said, ::testing::StartsWith("pelorin: cannot play the ringtone '" +
                                            (directory_ / name).string() + "': " + why))
        << name;
    EXPECT_THAT(said, ::testing::EndsWith("; playing '" + (program_ / "ringtone1.mp3").string() +
                                          "' instead\n"))
        << name;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << name;
  }
}

TEST_F(RingtonePlaybackTest, MutedCallOpensNoDeviceOtherwiseTheClickOrSilenceAsALastResort) {
  EXPECT_EQ(PlaySaying(""), "");
  output_.RecordAfterWaiting(0.05);
  EXPECT_FALSE(std::filesystem::exists(directory_ / "device.raw"));

  std::filesystem::remove(program_ / "ringtone1.mp3");
  std::string said = PlaySaying(directory_ / "absent.mp3");
  output_.RecordFor(0.5);
  EXPECT_GT(output_.Level(0.05, 0.45), kAudible) << "the click goes on";
  EXPECT_THAT(said, ::testing::EndsWith("; playing the click instead\n"));

  std::filesystem::remove(program_ / "click.wav");
  said = PlaySaying(directory_ / "absent.mp3");
  output_.RecordAfterWaiting(0.05);
  EXPECT_FALSE(output_.HasSound());
  EXPECT_THAT(said, ::testing::EndsWith("no such file; the call rings in silence\n"));
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

TEST_F(RingtonePlaybackTest, DefaultRingtoneKeepsRingingPastItsLength) {
  Play(DefaultRingtone());
  // The file is 3 s long: two 0.4 s bursts 0.2 s apart, then 2 s of quiet.
  output_.RecordFor(3.6);
  EXPECT_GT(output_.Level(0.1, 0.3), kAudible);
  EXPECT_LT(output_.Level(1.3, 2.8), kQuiet);
  EXPECT_GT(output_.Level(3.15, 3.35), kAudible) << "the ring does not start again";
  EXPECT_EQ(output_.Level(0.1, 3.35, 0), output_.Level(0.1, 3.35, 1)) << "mono on both sides";
}

TEST_F(RingtonePlaybackTest, TruncatedMp3RingsWhatItHoldsOverAndOver) {
  // About 0.4 s of the ring, cut in the middle of a frame.
  WriteBytes(directory_ / "cut.mp3", ReadBytes(DefaultRingtone()).substr(0, 2501));
  Play(directory_ / "cut.mp3");
  output_.RecordFor(1.5);
  EXPECT_GT(output_.Level(0.1, 0.3), kAudible);
  EXPECT_GT(output_.Level(1.0, 1.5), kAudible / 4);
}

TEST_F(RingtonePlaybackTest, WavIsResampledMixedDownAndRepeatedWithoutGaps) {
  // 0.25 s of 440 Hz at 8 kHz on the left channel only.
  WriteToneWav(directory_ / "tone.wav", 8000, 2, 0.25, 440);
  Play(directory_ / "tone.wav");
  output_.RecordFor(1.0);
  for (double at = 0.02; at < 0.95; at += 0.025) {
    ASSERT_GT(output_.Level(at, at + 0.025), kAudible) << "gap at " << at << " s";
  }
  // At the device's rate the tone keeps its pitch: 440 cycles a second, two sign changes each.
  EXPECT_NEAR(output_.SignChanges(0.1, 0.9), 2 * 440 * 0.8, 10);
  // The left-only file comes out of both sides alike, at half its level.
  EXPECT_EQ(output_.Level(0.1, 0.9, 0), output_.Level(0.1, 0.9, 1));
  EXPECT_NEAR(output_.Level(0.1, 0.9), 16000 / 2 / std::sqrt(2.0), 400);
}

TEST_F(RingtonePlaybackTest, ModuleIsLoadedAsModuleAndPlaysSoftened) {
  WriteToneModule(directory_ / "tune.mod");
  ASSERT_TRUE(FSOUND_Init(kRate, 48, FSOUND_INIT_GLOBALFOCUS));
  FMUSIC_MODULE* module = FMUSIC_LoadSong((directory_ / "tune.mod").c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(FMUSIC_GetType(module), FMUSIC_TYPE_MOD);
  FSOUND_Close();

  Play(directory_ / "tune.mod");
  output_.RecordFor(0.5);
  const double left = output_.Level(0.05, 0.45, 0);
  const double right = output_.Level(0.05, 0.45, 1);
  EXPECT_GT(left, kAudible);
  // Separation 0.85: the hard-left voice sits 0.925 left and 0.075 right.
  EXPECT_NEAR(right / left, 0.075 / 0.925, 0.02);
}

}  // namespace
