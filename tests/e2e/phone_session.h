#pragma once
// The desktop session on a phone's compositor: phoc, Phosh's own, with one output of a phone's
// size (360 x 720, scale 1), started once for the whole test program in a private runtime
// directory and shared by its tests (starting it takes seconds). The program sees only the
// Wayland display: no X11 to fall back to. Keys are typed with wtype through the compositor's
// virtual keyboard, pictures taken with grim; windows are found by their titles as the
// compositor lists them to a task switcher (wayland_windows).
//
// phoc runs on its X11 backend inside a private Xvfb rather than on its headless one: its seat
// appears with its first input device, and the headless backend has none, so with it wtype
// finds no seat and no key reaches any window. The X11 backend brings a keyboard, a pointer
// and a touch screen of its own; the X server is only phoc's window, Pelorin never sees it.
#include "tests/e2e/desktop_session.h"

namespace e2e {

class PhoneSession : public DesktopSession {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

 protected:
  PhoneSession() { withDisplay_ = false; }
  void SetUp() override;

  // Types each key (X key names, "shift+Tab" with a modifier) through the virtual keyboard.
  void Keys(const std::vector<std::string>& keys) override;
  void Type(const std::string& text) override;
  // Waits until the window with this title is the one with the focus: the compositor gives it
  // to the newest window, a Wayland client cannot take it.
  bool FocusWindow(const std::string& title, std::chrono::seconds limit) override;
  bool WindowExists(const std::string& title) override;
  // Saves a picture of the phone's screen as <artifacts>/wayland/<name>.png.
  void TakePicture(const std::string& name) override;

  // A tap with the pointer at (x, y) of the phone's screen (there is no touch device).
  void Tap(int x, int y);
  // Starts the real squeekboard, Phosh's on-screen keyboard, on the session's bus (started
  // first with StartSessionBus); true once it answers there.
  bool StartOnScreenKeyboard();
  // Its Visible property, "true" or "false"; empty when it does not answer.
  std::string KeyboardVisible();

  // The windows the compositor shows, the focused one marked "* ", as wayland_windows lists them.
  std::string Windows();
  // Width and height of a PNG picture; {0, 0} when it is none.
  static std::pair<int, int> PictureSize(const std::filesystem::path& picture);
  // The colour of one pixel of a picture as ImageMagick names it ("1F3A68").
  std::string PixelOf(const std::filesystem::path& picture, int x, int y);
  std::filesystem::path Picture(const std::string& name) const;
};

}  // namespace e2e
