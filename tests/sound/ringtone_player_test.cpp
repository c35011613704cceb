// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The ringtone player's calls into the sound library, written down in order by a library that
// plays nothing. The player's pauses land in the same list, so a test sees when it waited.
#include "incoming/ringtone_player.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sound/sound_library.h"
#include "platform/system/module_path.h"
#include "platform/system/sleep.h"

namespace {

std::vector<std::string> calls;

template <typename... Parts>
void Record(const Parts&... parts) {
  std::ostringstream line;
  ((line << parts << ' '), ...);
  calls.push_back(line.str().substr(0, line.str().size() - 1));
}

// A name must arrive zero-terminated within the player's 256-byte buffer.
std::string RecordedName(const char* name) {
  return strnlen(name, 256) == 256 ? "<unterminated>" : name;
}

std::string Hex(std::uint32_t value) {
  std::ostringstream text;
  text << "0x" << std::uppercase << std::hex << value;
  return text.str();
}

class RecordingLibrary : public SoundLibrary {
 public:
  RecordingLibrary() {
    calls.clear();
    SetSoundLibrary(this);
    SetModuleFileNameForTesting(u"/app/pelorin");
  }
  ~RecordingLibrary() override {
    SetSoundLibrary(nullptr);
    SetModuleFileNameForTesting(u"");
  }

  int initFailures = 0;               // attempts that fail before one succeeds
  int moduleType = FMUSIC_TYPE_NONE;  // the file loads as a module of this type
  std::set<std::string> missing;      // files that open neither way

  bool SetBufferSize(int milliseconds) override {
    Record("SetBufferSize", milliseconds);
    return true;
  }
  bool Init(int rate, int channels, unsigned int flags) override {
    Record("Init", rate, channels, flags);
    return initFailures-- <= 0;
  }
  void Close() override { Record("Close"); }
  FMUSIC_MODULE* LoadSong(const char* name) override {
    Record("LoadSong", RecordedName(name));
    return moduleType != FMUSIC_TYPE_NONE ? Module() : nullptr;
  }
  int GetType(FMUSIC_MODULE* module) override {
    Record("GetType", Describe(module));
    return moduleType;
  }
  bool SetMasterVolume(FMUSIC_MODULE* module, int volume) override {
    Record("SetMasterVolume", Describe(module), volume);
    return true;
  }
  bool SetPanSeparation(FMUSIC_MODULE* module, float separation) override {
    Record("SetPanSeperation", Describe(module), Hex(std::bit_cast<std::uint32_t>(separation)));
    return true;
  }
  bool PlaySong(FMUSIC_MODULE* module) override {
    Record("PlaySong", Describe(module));
    return true;
  }
  FSOUND_STREAM* StreamOpen(const char* name, unsigned int mode, int offset, int length) override {
    Record("StreamOpen", RecordedName(name), Hex(mode), offset, length);
    return missing.count(name) == 0 ? Stream() : nullptr;
  }
  int StreamPlay(int channel, FSOUND_STREAM* stream) override {
    Record("StreamPlay", channel, stream == Stream() ? "stream" : "<foreign>");
    return 0;
  }
  int GetError() override { return FMOD_ERR_FILE_NOTFOUND; }

 private:
  FMUSIC_MODULE* Module() { return reinterpret_cast<FMUSIC_MODULE*>(&moduleTag_); }
  FSOUND_STREAM* Stream() { return reinterpret_cast<FSOUND_STREAM*>(&streamTag_); }
  std::string Describe(FMUSIC_MODULE* module) {
    return module == Module() ? "module" : "<foreign>";
  }

  char moduleTag_ = 0;
  char streamTag_ = 0;
};

using ::testing::ElementsAreArray;
using Calls = std::vector<std::string>;

// The buffer length, then `attempts` starts with a pause before each retry, then `rest`.
Calls StartThen(int attempts, const Calls& rest) {
  Calls expected{"SetBufferSize 200"};
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) {
      expected.push_back("Sleep 100");
    }
    expected.push_back("Init 22050 48 2");
  }
  expected.insert(expected.end(), rest.begin(), rest.end());
  return expected;
}

Calls operator+(Calls first, const Calls& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

Calls PlayedAsStream(const std::string& name) {
  return {"LoadSong " + name, "StreamOpen " + name + " 0x22132 0 0", "StreamPlay -1 stream"};
}

}  // namespace

// Stands in for the system's pause in this test program (the linker then leaves the library's
// out): the pause is written down instead of waited.
void Sleep(std::uint32_t milliseconds) {
  Record("Sleep", milliseconds);
}

namespace {

TEST(RingtonePlayerTest, MutedCallLeavesTheLibraryUntouched) {
  RecordingLibrary library;
  PlayRingtone(nullptr);
  PlayRingtone(u"");
  // Only the first zero counts: what follows it is not part of the path.
  PlayRingtone(u"\0/home/ring.mp3");
  EXPECT_TRUE(calls.empty());
}

class StartRetryTest : public ::testing::TestWithParam<int> {};

TEST_P(StartRetryTest, PlaysOnceAnAttemptSucceedsElseStaysSilent) {
  const int failures = GetParam();
  RecordingLibrary library;
  library.initFailures = failures;
  ::testing::internal::CaptureStderr();
  PlayRingtone(u"/home/ring.mp3");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            failures < 11 ? ""
                          : "pelorin: cannot play the ringtone '/home/ring.mp3': no audio device "
                            "could be opened; the call rings in silence\n");
  // Eleven attempts at most, with no pause after the last one.
  EXPECT_THAT(calls, ElementsAreArray(
                         failures < 11 ? StartThen(failures + 1, PlayedAsStream("/home/ring.mp3"))
                                       : StartThen(11, {})));
}

// 0: first try; 3: three pauses; 10: the eleventh and last attempt; 11: never.
INSTANTIATE_TEST_SUITE_P(Failures, StartRetryTest, ::testing::Values(0, 3, 10, 11));

TEST(RingtonePlayerTest, UnplayableFileGivesWayToTheDefaultRingtoneThenTheClickAndSaysWhy) {
  const Calls tried = {"LoadSong /home/gone.wav", "StreamOpen /home/gone.wav 0x22132 0 0"};
  const Calls triedDefault = {"LoadSong /app/ringtone1.mp3",
                              "StreamOpen /app/ringtone1.mp3 0x22132 0 0"};
  const Calls triedClick = {"LoadSong /app/click.wav", "StreamOpen /app/click.wav 0x22132 0 0"};
  const std::string gone = "pelorin: cannot play the ringtone '/home/gone.wav': no such file";
  struct Case {
    const char16_t* ringtone;
    std::set<std::string> missing;
    Calls calls;
    std::string said;
  };
  for (const Case& c : std::vector<Case>{
           {u"/home/gone.wav",
            {"/home/gone.wav"},
            tried + PlayedAsStream("/app/ringtone1.mp3"),
            gone + "; playing '/app/ringtone1.mp3' instead\n"},
           {u"/home/gone.wav",
            {"/home/gone.wav", "/app/ringtone1.mp3"},
            tried + triedDefault + PlayedAsStream("/app/click.wav"),
            gone + ", nor '/app/ringtone1.mp3': no such file; playing the click instead\n"},
           {u"/home/gone.wav",
            {"/home/gone.wav", "/app/ringtone1.mp3", "/app/click.wav"},
            tried + triedDefault + triedClick,
            gone + ", nor '/app/ringtone1.mp3': no such file, nor the click '/app/click.wav': no "
                   "such file; the call rings in silence\n"},
           // The default ringtone is not tried twice.
           {u"/app/ringtone1.mp3",
            {"/app/ringtone1.mp3"},
            triedDefault + PlayedAsStream("/app/click.wav"),
            "pelorin: cannot play the ringtone '/app/ringtone1.mp3': no such file; playing the "
            "click instead\n"}}) {
    RecordingLibrary library;
    library.missing = c.missing;
    ::testing::internal::CaptureStderr();
    PlayRingtone(c.ringtone);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.said);
    EXPECT_THAT(calls, ElementsAreArray(StartThen(1, c.calls)));
  }
}

struct ModuleCase {
  int type;
  Calls adjustments;
};

class ModuleTypeTest : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(ModuleTypeTest, AdjustsThenPlaysWithoutTryingAStream) {
  RecordingLibrary library;
  library.moduleType = GetParam().type;
  PlayRingtone(u"/home/tune");
  Calls rest{"LoadSong /home/tune", "GetType module"};
  rest.insert(rest.end(), GetParam().adjustments.begin(), GetParam().adjustments.end());
  rest.push_back("PlaySong module");
  EXPECT_THAT(calls, ElementsAreArray(StartThen(1, rest)));
}

// 0.85 as a single-precision float is 0x3F59999A.
INSTANTIATE_TEST_SUITE_P(Types, ModuleTypeTest,
                         ::testing::Values(ModuleCase{FMUSIC_TYPE_MOD,
                                                      {"SetMasterVolume module 128",
                                                       "SetPanSeperation module 0x3F59999A"}},
                                           ModuleCase{FMUSIC_TYPE_S3M,
                                                      {"SetMasterVolume module 128",
                                                       "SetPanSeperation module 0x3F59999A"}},
                                           ModuleCase{FMUSIC_TYPE_XM,
                                                      {"SetMasterVolume module 128"}},
                                           ModuleCase{FMUSIC_TYPE_IT, {}}));

TEST(RingtonePlayerTest, PathReachesTheLibraryWholeInUtf8OrNotAtAll) {
  {
    RecordingLibrary library;
    PlayRingtone(u"/home/Zoë/Klingeltöne/日本.mp3");
    EXPECT_THAT(calls,
                ElementsAreArray(StartThen(1, PlayedAsStream("/home/Zoë/Klingeltöne/日本.mp3"))));
  }
  {
    RecordingLibrary library;
    // 253 bytes, then "é" (two bytes): 255 bytes and the terminator fill the buffer exactly.
    PlayRingtone((u"/" + std::u16string(252, u'a') + u"é").c_str());
    EXPECT_THAT(calls,
                ElementsAreArray(StartThen(1, PlayedAsStream("/" + std::string(252, 'a') + "é"))));
  }
  // A path that does not fit is refused, never cut: cut short it names another file.
  for (const std::u16string& path : {u"/" + std::u16string(255, u'a'),
                                     // "é" would straddle the last byte.
                                     u"/" + std::u16string(253, u'a') + u"é",
                                     // 255 characters, but three bytes each in UTF-8.
                                     std::u16string(255, u'日')}) {
    RecordingLibrary library;
    ::testing::internal::CaptureStderr();
    PlayRingtone(path.c_str());
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                ::testing::HasSubstr(": its path is longer than 255 bytes; playing "));
    EXPECT_THAT(calls, ElementsAreArray(StartThen(1, PlayedAsStream("/app/ringtone1.mp3"))));
  }
}

}  // namespace
