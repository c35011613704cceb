// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The incoming call screen run offscreen in the test process, in a program directory of its
// own at a clock the test sets, with recorders in the place of the vibrator, the backlight,
// the sound library, the notifications, the system's keeping awake and the timed launch. Everything
// they are asked lands in one list of events, in order, so a test sees what happened and when
// relative to the rest.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "incoming/incoming_call_screen.h"
#include "platform/launch/timed_launch.h"
#include "platform/power/power.h"
#include "platform/sound/sound_library.h"
#include "platform/system/text.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "platform/ui/notifications.h"
#include "platform/ui/testing/screen_driver.h"
#include "platform/ui/vibrator.h"
#include "resources/resource_ids.h"
#include "resources/resource_table.h"
#include "store/schedule_store.h"
#include "tests/support/process_state_reset.h"
#include "tests/support/schedule_fixture.h"
#include "tests/support/screen_platform.h"

// Plays nothing; writes down each call as "sound: <call> <argument>".
class RecordingSoundLibrary : public SoundLibrary {
 public:
  explicit RecordingSoundLibrary(std::vector<std::string>* events) : events_(events) {}
  bool SetBufferSize(int milliseconds) override {
    return Record("SetBufferSize " + std::to_string(milliseconds)), true;
  }
  bool Init(int mixRate, int, unsigned int) override {
    return Record("Init " + std::to_string(mixRate)), true;
  }
  void Close() override { Record("Close"); }
  FMUSIC_MODULE* LoadSong(const char* name) override {
    Record(std::string("LoadSong ") + name);
    return nullptr;
  }
  int GetType(FMUSIC_MODULE*) override { return FMUSIC_TYPE_NONE; }
  bool SetMasterVolume(FMUSIC_MODULE*, int) override { return true; }
  bool SetPanSeparation(FMUSIC_MODULE*, float) override { return true; }
  bool PlaySong(FMUSIC_MODULE*) override { return true; }
  FSOUND_STREAM* StreamOpen(const char* name, unsigned int, int, int) override {
    Record(std::string("StreamOpen ") + name);
    return reinterpret_cast<FSOUND_STREAM*>(&stream_);
  }
  int StreamPlay(int channel, FSOUND_STREAM*) override {
    Record("StreamPlay " + std::to_string(channel));
    return 1;
  }

 private:
  void Record(const std::string& call) { events_->push_back("sound: " + call); }
  std::vector<std::string>* events_;
  char stream_ = 0;
};

class IncomingFixture : public ScheduleFixture {
 protected:
  void SetUp() override {
    ScheduleFixture::SetUp();
    std::string why;
    ASSERT_TRUE(test_support::StartTestScreens("incoming_call_tests", &why)) << why;
    test_support::ResetProcessState(&ProgramResources());
    State().vibrationTicks = 7;  // whatever an earlier screen left
    SetVibratorService([this](bool on) {
      events_.push_back(on ? "vibrator on" : "vibrator off");
      return TRUE;
    });
    SetPowerRequirementService([this](const std::u16string& device, CEDEVICE_POWER_STATE state) {
      events_.push_back("backlight " + ToUtf8(device) + " D" + std::to_string(state));
      return static_cast<HANDLE>(&events_);
    });
    SetSoundLibrary(&sound_);
    SetNotificationService([this](const SHNOTIFICATIONDATA& data, bool removed) {
      if (removed) {
        events_.push_back("notification withdrawn " + std::to_string(data.dwID));
        return;
      }
      std::string keys;
      for (const SOFTKEYNOTIFY& key : data.rgskn) {
        if (key.pszTitle != nullptr) {
          keys += "|" + ToUtf8(key.pszTitle) + "=" + std::to_string(key.skc);
        }
      }
      events_.push_back("notification " + std::to_string(data.dwID) + " " + ToUtf8(data.pszTitle) +
                        "|" + ToUtf8(data.pszHTML) + "|" + ToUtf8(data.pszCategory) +
                        ((data.grfFlags & SHNF_CRITICAL) != 0 ? "|critical" : "") + keys +
                        (data.hwndSink == NewestScreen() ? "|to the screen" : ""));
    });
    SetPowerPolicyService([this](unsigned long message, unsigned long data) {
      if (message == PPN_UNATTENDEDMODE) {
        events_.push_back(data != 0 ? "awake held" : "awake let go");
      }
    });
    SetTimedLaunchService([this](const std::u16string& executable, const SYSTEMTIME& time) {
      armedFor_.push_back(ToUtf8(executable));
      armed_.push_back(time);
      return true;
    });
  }

  void TearDown() override {
    SetTimedLaunchService({});
    SetPowerPolicyService({});
    SetNotificationService({});
    SetSoundLibrary(nullptr);
    SetPowerRequirementService({});
    SetVibratorService({});
    ScheduleFixture::TearDown();
  }

  // Runs the screen as the timed launch does and gives its end code.
  static int RunScreen() {
    IncomingCallScreen screen;
    return screen.Run();
  }

  // The text of control `controlId` of the newest screen, in UTF-8.
  static std::string ControlTextUtf8(int controlId) {
    char16_t text[512] = {};
    GetWindowTextW(GetDlgItem(NewestScreen(), controlId), text, 512);
    return ToUtf8(text);
  }

  // The events of one kind ("vibrator", "backlight", "sound"), in order.
  std::vector<std::string> EventsOf(const std::string& kind) const {
    std::vector<std::string> chosen;
    for (const std::string& event : events_) {
      if (event.rfind(kind, 0) == 0) {
        chosen.push_back(event);
      }
    }
    return chosen;
  }

  // The names of the calls left in the schedule file, in file order.
  std::vector<std::string> StoredNames() const {
    ScheduleStore store;
    std::vector<std::string> names;
    for (int i = 0; i < store.CountCalls(); ++i) {
      CallRecord record{};
      if (store.ReadCall(i, record)) {
        names.push_back(ToUtf8(record.Name));
      }
    }
    return names;
  }

  // The present moved by a number of seconds, as the calendar time the launch is armed with.
  SYSTEMTIME CalendarPlus(long long seconds) const {
    const FILETIME time = NowPlus(seconds);
    SYSTEMTIME calendar{};
    FileTimeToSystemTime(&time, &calendar);
    return calendar;
  }

  std::string Program() const { return (directory_ / "pelorin").string(); }

  std::vector<std::string> events_;
  RecordingSoundLibrary sound_{&events_};
  std::vector<std::string> armedFor_;
  std::vector<SYSTEMTIME> armed_;
};

inline bool operator==(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

inline void PrintTo(const SYSTEMTIME& time, std::ostream* out) {
  *out << time.wYear << "-" << time.wMonth << "-" << time.wDay << " " << time.wHour << ":"
       << time.wMinute << ":" << time.wSecond << "." << time.wMilliseconds;
}
