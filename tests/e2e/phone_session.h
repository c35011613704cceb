// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The desktop session on a phone's compositor: phoc, Phosh's own, with one output of a phone's
// size (360 x 720 at scale 1, or 720 x 1440 at scale 2 where the test program is built with
// PELORIN_PHONE_SCALE=2), started once for the whole test program in a private runtime
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
#ifdef PELORIN_PHONE_SCALE
  static constexpr int kScale = PELORIN_PHONE_SCALE;
#else
  static constexpr int kScale = 1;
#endif

  static void SetUpTestSuite();
  static void TearDownTestSuite();

 protected:
  PhoneSession() {
    withDisplay_ = false;
  }
  void SetUp() override;

  // Types each key (X key names, "shift+Tab" with a modifier) through the virtual keyboard.
  void Keys(const std::vector<std::string>& keys) override;
  void Type(const std::string& text) override;
  // Waits until the window with this title is the one with the focus: the compositor gives it
  // to the newest window, a Wayland client cannot take it.
  bool FocusWindow(const std::string& title, std::chrono::seconds limit) override;
  bool WindowExists(const std::string& title) override;
  // Saves a picture of the phone's screen as <artifacts>/wayland/<name>.png (wayland-2x/ at
  // scale 2), in device pixels.
  void TakePicture(const std::string& name) override;

  // Places on the phone's screen are in its logical pixels, 360 x 720 whatever the scale.
  // A tap with the pointer at (x, y) (Xvfb has no touch device), two in quick succession, and
  // a finger's drag from one height to another at x: a flick lifts in motion, a slow drag
  // comes to rest first.
  void Tap(double x, double y);
  void DoubleTap(double x, double y);
  void Drag(double x, double fromY, double toY, bool flick);
  // The top and bottom of the selected row's highlight in a picture, at x; {-1, -1} for none.
  std::pair<double, double> HighlightedRow(const std::filesystem::path& picture, double x);
  // The rows the ringtone browser shows for `directory`, in order: the host's listing order,
  // folders and MP3 or WAV files, ".." first below the root.
  static std::vector<std::string> BrowserRows(const std::filesystem::path& directory);
  // Starts the real squeekboard, Phosh's on-screen keyboard, on the session's bus (started
  // first with StartSessionBus); true once it answers there.
  bool StartOnScreenKeyboard();
  // Its Visible property, "true" or "false"; empty when it does not answer.
  std::string KeyboardVisible();
  // Starts mako, the wlroots compositors' notification daemon, on the session's bus (started
  // first with StartSessionBus) with its default look; true once it answers there.
  bool StartNotificationDaemon();
  // How many pixels of a picture have this colour ("#285577").
  std::size_t PixelsOfColour(const std::filesystem::path& picture, const std::string& colour);

  // The windows the compositor shows, the focused one marked "* ", as wayland_windows lists them.
  std::string Windows();
  // Width and height of a PNG picture; {0, 0} when it is none.
  static std::pair<int, int> PictureSize(const std::filesystem::path& picture);
  // The colour of one pixel of a picture as ImageMagick names it ("1F3A68"), at a place of the
  // phone's screen.
  std::string PixelOf(const std::filesystem::path& picture, int x, int y);
  std::filesystem::path Picture(const std::string& name) const;

  // The frame's pixels on the phone's screen: the frame is 176 pixels wide.
  static double OnScreen(double framePixels) {
    return framePixels * 360.0 / 176.0;
  }
  // The soft keys' middles, the popup's entries above the right one.
  void TapLeftSoftKey() {
    Tap(45, 700);
  }
  void TapRightSoftKey() {
    Tap(315, 700);
  }
  void TapPopupEntry(int index, int count);
  // Opens the row `name` of the ringtone browser showing `directory`, as a finger does: the
  // rows are flicked to their end first when the row lies below the screen.
  void DoubleTapBrowserRow(const std::filesystem::path& directory, const std::string& name);

 private:
  void Pointer(const std::vector<std::string>& steps);
};

}  // namespace e2e
