// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A desktop of its own for tests that use the real program as a person does: an Xvfb display,
// a copy of the built program in a temporary program directory, real key presses (xdotool),
// pictures of the screen (ImageMagick's import) kept under <build>/artifacts/; on request a
// session bus of its own with the stand-in screen saver on it. PhoneSession (phone_session.h)
// is the same on a phone's Wayland compositor.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/session_bus.h"

namespace e2e {

struct Finished {
  int exitCode;  // -1000 when it did not end normally
  std::string output;
};

class DesktopSession : public ::testing::Test {
 protected:
  // The window titles the screens carry, by which the tests find them.
  static constexpr char kMainTitle[] = "Pelorin";
  static constexpr char kNewCallTitle[] = "New Call";
  static constexpr char kAboutTitle[] = "About";
  static constexpr char kCallerTitle[] = "Caller";
  static constexpr char kRingtoneTitle[] = "RingTone";
  static constexpr char kIncomingTitle[] = "Incoming";

  void SetUp() override;
  void TearDown() override;

  // Sets a variable for everything started from now on, or leaves it out.
  void SetVariable(const std::string& name, const std::string& value);
  void RemoveVariable(const std::string& name);
  // Starts the program copy through this command from now on (one that changes the user).
  void StartProgramsThrough(std::vector<std::string> launcher) { launcher_ = std::move(launcher); }
  // Starts a session bus of the test's own with the stand-in screen saver on it, logging into
  // ScreenSaverLog(), and gives the bus to everything started from now on.
  void StartSessionBus();
  std::filesystem::path ScreenSaverLog() const { return root_ / "screen-saver.log"; }
  // That bus, for the test's own stand-ins on it.
  test_support::PrivateSessionBus& SessionBus() { return bus_; }

  // Starts the program copy with these arguments; returns its process id.
  int StartProgram(const std::vector<std::string>& arguments = {});
  // Runs the program copy with these arguments to its end; what it printed on stderr goes to
  // errors, its stdout to the result.
  Finished RunProgram(const std::vector<std::string>& arguments, std::string* errors);
  // Waits for a program started with StartProgram to end; -1000 when it did not in time.
  int WaitForProgram(int process, std::chrono::seconds limit);
  // Whether a program started with StartProgram still runs (it is not waited for).
  bool ProgramRuns(int process) const;
  // Every process that inherited this session's environment, as "pid name": what the program
  // started and left behind.
  std::vector<std::string> ProcessesOfTheSession() const;

  // Runs a tool on the session's display and returns what it printed.
  Finished Tool(const std::vector<std::string>& command);
  // Presses keys (X key names: F1, Return, Escape, Down, 2, shift+Tab...) on the focused
  // window, at a person's pace.
  virtual void Keys(const std::vector<std::string>& keys);
  // Types the text into the focused window.
  virtual void Type(const std::string& text);
  // Waits until a visible window with exactly this title exists and gives it the focus.
  virtual bool FocusWindow(const std::string& title, std::chrono::seconds limit);
  virtual bool WindowExists(const std::string& title);
  // Saves a picture of the whole display as <artifacts>/<name>.png.
  virtual void TakePicture(const std::string& name);

  std::string ReadSchedule() const;
  void WriteSchedule(const std::string& text) const;
  // A "CI" element as the program writes it, ringing at that moment's local time.
  static std::string Call(const std::string& name, std::time_t moment, int index,
                          const std::string& ringtone = "");
  // The local time `seconds` from now as the time field takes it typed: "HHMMSS". Waits first
  // when that time, or the form's default date (five minutes ahead), falls on another day.
  static std::string TimeOfDayFromNow(int seconds);
  static int CountCalls(const std::string& schedule);

  // Set before SetUp for a server that resets when its last client leaves, as xvfb-run's does.
  bool serverResets_ = false;
  // Set before SetUp for no Xvfb at all: the program sees no display.
  bool withDisplay_ = true;

  std::filesystem::path root_;     // everything of this test
  std::filesystem::path program_;  // the program directory
  std::filesystem::path artifacts_;
  std::string display_;
  std::vector<std::string> environment_;

 private:
  int Spawn(const std::vector<std::string>& command, const std::filesystem::path& output);
  void EndLeftovers();

  int xvfb_ = 0;
  std::vector<int> started_;
  std::vector<std::string> launcher_;
  test_support::PrivateSessionBus bus_;
};

// Starts an Xvfb server on a free display, its files in `directory`; gives its process id
// (0 when it did not start) and its display name (":5").
int StartXvfb(const std::filesystem::path& directory, const std::string& screen, bool resets,
              std::string* display);

}  // namespace e2e
