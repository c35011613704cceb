#pragma once
// A desktop of its own for tests that use the real program as a person does: an Xvfb display,
// a copy of the built program in a temporary program directory, real key presses (xdotool),
// pictures of the screen (ImageMagick's import) kept under <build>/artifacts/.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

struct Finished {
  int exitCode;  // -1000 when it did not end normally
  std::string output;
};

class DesktopSession : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program copy with these arguments; returns its process id.
  int StartProgram(const std::vector<std::string>& arguments = {});
  // Waits for a program started with StartProgram to end; -1000 when it did not in time.
  int WaitForProgram(int process, std::chrono::seconds limit);

  // Runs a tool on the session's display and returns what it printed.
  Finished Tool(const std::vector<std::string>& command);
  // Presses keys (xdotool names: F1, Return, Escape, Down, 2...) on the focused window.
  void Keys(const std::vector<std::string>& keys);
  // Waits until a visible window with exactly this title exists and gives it the focus.
  bool FocusWindow(const std::string& title, std::chrono::seconds limit);
  bool WindowExists(const std::string& title);
  // Saves a picture of the whole display as <artifacts>/<name>.png.
  void TakePicture(const std::string& name);

  bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds limit);
  std::string ReadSchedule() const;
  void WriteSchedule(const std::string& text) const;

  std::filesystem::path root_;     // everything of this test
  std::filesystem::path program_;  // the program directory
  std::filesystem::path artifacts_;
  std::string display_;
  std::vector<std::string> environment_;

 private:
  int Spawn(const std::vector<std::string>& command, const std::filesystem::path& output);
  void EndWaiters();

  int xvfb_ = 0;
  std::vector<int> started_;
};

}  // namespace e2e
