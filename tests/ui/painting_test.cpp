// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a person sees: the program's bitmaps and icons, a picture painted with its key colour
// left out, the phone frame saved as a picture, the message box, and the vibrator's shake.
#include <gmock/gmock.h>

#include <QFontMetrics>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/ui/internal/fonts.h"
#include "platform/ui/testing/screen_picture.h"
#include "platform/ui/vibrator.h"
#include "resources/resource_ids.h"
#include "resources/resource_table.h"
#include "tests/ui/ui_fixture.h"

namespace {

using ::testing::ElementsAre;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kClientTop = 20;

HINSTANCE Program() {
  return &ProgramResources();
}

class PaintingTest : public ScreenTest {};

// Each face's size is the largest whose line fits the cell, whichever face the host draws with.
TEST_F(PaintingTest, AFontIsTheLargestWhoseLineFitsTheCell) {
  for (const char* face : {"Tahoma", "DejaVu Sans", "DejaVu Serif", "MS Sans Serif"}) {
    for (int cell = 4; cell <= 60; ++cell) {
      QFont font = FontWithCellHeight(QString::fromLatin1(face), cell);
      const int size = font.pixelSize();
      SCOPED_TRACE(std::string(face) + " in a cell of " + std::to_string(cell));
      if (size > 1) {
        EXPECT_LE(QFontMetrics(font).height(), cell);
      }
      font.setPixelSize(size + 1);
      EXPECT_GT(QFontMetrics(font).height(), cell);
    }
  }
}

TEST_F(PaintingTest, TheHandsetBitmapLoadsWithItsSizeAndDepth) {
  EXPECT_EQ(LoadBitmapW(Program(), 999), nullptr);
  HBITMAP handset = LoadBitmapW(Program(), IDB_HANDSET);
  ASSERT_NE(handset, nullptr);
  BITMAP description{};
  EXPECT_EQ(GetObjectW(handset, 4, &description), 0);  // too small a record
  ASSERT_EQ(GetObjectW(handset, sizeof(BITMAP), &description), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(description.bmWidth, 112);
  EXPECT_EQ(description.bmHeight, 105);
  EXPECT_EQ(description.bmBitsPixel, 8);
  EXPECT_TRUE(DeleteObject(handset));
  EXPECT_FALSE(DeleteObject(handset));
  EXPECT_EQ(GetObjectW(handset, sizeof(BITMAP), &description), 0);
  for (int icon : {IDI_PROGRAM, IDI_FOLDER, IDI_CALL, IDI_CONTACT, IDI_MUSIC}) {
    EXPECT_NE(LoadIconW(Program(), icon), nullptr) << icon;
  }
}

TEST_F(PaintingTest, ABitmapSelectedIntoAContextCannotBeDeleted) {
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP handset = LoadBitmapW(Program(), IDB_HANDSET);
  HGDIOBJ previous = SelectObject(memory, handset);
  ASSERT_NE(previous, nullptr);
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, handset), nullptr);  // one at a time
  EXPECT_FALSE(DeleteObject(handset));
  SelectObject(memory, previous);
  EXPECT_TRUE(DeleteObject(handset));
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_FALSE(DeleteDC(memory));
  EXPECT_TRUE(DeleteDC(other));
}

// Paints the handset into the bottom-right corner of the client area, as the incoming-call
// screen does, and looks at the result.
TEST_F(PaintingTest, TheKeyColourIsLeftOutWhenAPictureIsPainted) {
  RECT placed{};
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kTwoKeyBar);
      return TRUE;
    }
    if (message != WM_PAINT) {
      return FALSE;
    }
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(screen, &paint);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP handset = LoadBitmapW(Program(), IDB_HANDSET);
    HGDIOBJ previous = SelectObject(memory, handset);
    BITMAP size{};
    GetObjectW(handset, sizeof(BITMAP), &size);
    RECT client{};
    GetClientRect(screen, &client);
    placed = RECT{client.right - size.bmWidth, client.bottom - size.bmHeight, client.right,
                  client.bottom};
    TransparentImage(dc, placed.left, placed.top, size.bmWidth, size.bmHeight, memory, 0, 0,
                     size.bmWidth, size.bmHeight, kMagenta);
    SelectObject(memory, previous);
    DeleteObject(handset);
    DeleteDC(memory);
    EndPaint(screen, &paint);
    return TRUE;
  };
  int magenta = 0;
  int white = 0;
  int drawn = 0;
  COLORREF corner = 0;
  RunLater([&] {
    COLORREF first = 0;
    ReadFramePixel(0, kClientTop, &first);  // looking paints the screen
    for (int y = placed.top; y < placed.bottom; y += 3) {
      for (int x = placed.left; x < placed.right; x += 3) {
        COLORREF seen = 0;
        ASSERT_TRUE(ReadFramePixel(x, kClientTop + y, &seen));
        magenta += seen == kMagenta;
        white += seen == kWhite;
        drawn += seen != kWhite;
      }
    }
    ReadFramePixel(placed.left, kClientTop + placed.top, &corner);
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  EXPECT_EQ(placed.left, 64);
  EXPECT_EQ(placed.top, 75);
  EXPECT_EQ(magenta, 0);
  EXPECT_EQ(corner, kWhite);  // the picture's magenta corner shows the background
  EXPECT_GT(drawn, 300);      // the disc and the handset are there
  EXPECT_GT(white, 10);
}

// Reads the PNG header: width and height of the saved picture.
bool PictureSize(const std::filesystem::path& path, int* width, int* height) {
  std::ifstream file(path, std::ios::binary);
  unsigned char header[24] = {};
  if (!file.read(reinterpret_cast<char*>(header), sizeof header) || header[1] != 'P' ||
      header[2] != 'N' || header[3] != 'G') {
    return false;
  }
  auto bigEndian = [&](int at) {
    return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
  };
  *width = bigEndian(16);
  *height = bigEndian(20);
  return true;
}

TEST_F(PaintingTest, AScreenPictureHoldsTheWholeFrameWithTheSoftKeyCaptions) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "pelorin_screen_picture_test.png";
  std::filesystem::remove(path);
  bool saved = false;
  int leftInk = 0;
  int rightInk = 0;
  int middleInk = 0;
  RunLater([&] {
    saved = SaveScreenPicture(NewestScreen(), path.string());
    COLORREF bar = 0;
    ReadFramePixel(88, 202, &bar);
    for (int y = 202; y < 218; ++y) {
      for (int x = 0; x < 176; x += 1) {
        COLORREF seen = 0;
        ReadFramePixel(x, y, &seen);
        const bool ink = seen != bar;
        leftInk += ink && x < 44;
        rightInk += ink && x >= 132;
        middleInk += ink && x >= 66 && x < 110;
      }
    }
    EndDialog(NewestScreen(), 0);
  });
  Slot(0).answer = [](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kTwoKeyBar);
    }
    return message == WM_INITDIALOG;
  };
  RunTestScreen(kFormScreen);
  EXPECT_TRUE(saved);
  int width = 0;
  int height = 0;
  ASSERT_TRUE(PictureSize(path, &width, &height));
  EXPECT_EQ(width, 176);
  EXPECT_EQ(height, 220);
  EXPECT_GT(leftInk, 10);   // "Left"
  EXPECT_GT(rightInk, 10);  // "Right"
  EXPECT_EQ(middleInk, 0);
  EXPECT_FALSE(SaveScreenPicture(nullptr, path.string()));
  std::filesystem::remove(path);
}

TEST_F(PaintingTest, AMessageBoxShowsItsCaptionAndTextVerbatimAndAnswersOk) {
  std::vector<int> answers;
  std::u16string caption;
  std::u16string text;
  std::vector<std::u16string> windows;
  bool openAfter = true;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && wParam == IDOK) {
      answers.push_back(MessageBoxW(screen, u"Ring time is not correct!", u"Error", MB_ICONERROR));
    }
    return message == WM_INITDIALOG;
  };
  RunLater([] { PressKey(VK_RETURN); });  // returns once the box is dismissed
  RunLater([&] {
    OpenMessageBox(&caption, &text);
    windows = ShownWindowTitles();
    PressKey(VK_RETURN);
  });
  RunLater([] { PressKey(VK_RETURN); });
  RunLater([] { PressKey(VK_ESCAPE); });  // Escape dismisses it too
  RunLater([&] {
    openAfter = OpenMessageBox(nullptr, nullptr);
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  EXPECT_EQ(caption, u"Error");
  EXPECT_EQ(text, u"Ring time is not correct!");
  EXPECT_THAT(answers, ElementsAre(IDOK, IDOK));
  EXPECT_THAT(windows, ElementsAre(u"Error")) << "the box lies inside the screen's window";
  EXPECT_FALSE(openAfter);
  // Only the two action-key presses on the screen itself reached it.
  EXPECT_EQ(Slot(0).Commands().size(), 2u);
}

int RedOf(COLORREF colour) {
  return static_cast<int>(colour & 0xFF);
}
int GreenOf(COLORREF colour) {
  return static_cast<int>((colour >> 8) & 0xFF);
}

// The box draws its own caption strip, so the caption shows without a window manager; the box
// and its wrapped text stay within the frame's width, and a click on OK dismisses it.
TEST_F(PaintingTest, AMessageBoxDrawsItsCaptionAndWrapsItsTextWithinTheFrame) {
  constexpr COLORREF kStrip = RGB(0x1F, 0x3A, 0x68);
  std::vector<int> answers;
  bool found = false;
  MessageBoxPlaces places{};
  int strip = 0;
  int captionInk = 0;
  int textInk = 0;
  int lastLineInk = 0;
  bool openAfterClick = true;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && wParam == IDOK) {
      answers.push_back(
          MessageBoxW(screen, u"Cannot play AVeryLongRingtoneNameWithoutAnySpaceOrSlashInIt.mp3",
                      u"Error", MB_ICONERROR));
    }
    return message == WM_INITDIALOG;
  };
  RunLater([] { PressKey(VK_RETURN); });
  RunLater([&] {
    found = OpenMessageBoxPlaces(&places);
    const RECT& caption = places.caption;
    for (int y = caption.top; y < caption.bottom; ++y) {
      for (int x = caption.left; x < caption.right; ++x) {
        COLORREF seen = 0;
        ReadFramePixel(x, y, &seen);
        strip += seen == kStrip;
        captionInk += RedOf(seen) > 0xC0 && GreenOf(seen) > 0xC0;
      }
    }
    const RECT& text = places.text;
    for (int y = text.top; y < text.bottom; ++y) {
      for (int x = text.left; x < text.right; ++x) {
        COLORREF seen = 0;
        ReadFramePixel(x, y, &seen);
        const bool ink = RedOf(seen) < 0x80;
        textInk += ink;
        lastLineInk += ink && y >= text.bottom - 12;
      }
    }
    ClickAt((places.button.left + places.button.right) / 2,
            (places.button.top + places.button.bottom) / 2);
  });
  RunLater([&] {
    openAfterClick = OpenMessageBox(nullptr, nullptr);
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  ASSERT_TRUE(found);
  EXPECT_GE(places.box.left, 0);
  EXPECT_LE(places.box.right, 176);
  EXPECT_GE(places.box.top, 0);
  EXPECT_LE(places.box.bottom, 220);
  EXPECT_EQ(places.caption.top, places.box.top);  // the strip heads the box
  EXPECT_LT(places.caption.bottom, places.text.top);
  EXPECT_LT(places.text.bottom, places.button.top);
  EXPECT_GE(places.text.left, places.box.left);
  EXPECT_LE(places.text.right, places.box.right);
  EXPECT_GT(strip, 500);
  EXPECT_GT(captionInk, 15);  // "Error" in white on the strip
  EXPECT_GT(textInk, 100);
  // The long name broke inside itself over several lines instead of running past the box
  // on one line; its last line has ink.
  EXPECT_GE(places.text.bottom - places.text.top, 60);
  EXPECT_GT(lastLineInk, 5);
  EXPECT_FALSE(openAfterClick);
  EXPECT_THAT(answers, ElementsAre(IDOK));
}

class VibratorTest : public ScreenTest {
 protected:
  void TearDown() override {
    SetVibratorService({});
    VibrateStop();
    ScreenTest::TearDown();
  }
};

// Without a session bus (this program is given none) feedbackd cannot be asked: the frame's
// content shakes inside its window, which stays put, and nothing is said about it.
TEST_F(VibratorTest, TheNewestFrameShakesWhileOnAndStandsStillWhenOff) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Vibrate(0, nullptr, TRUE, INFINITE));  // no screen to shake
  std::vector<int> whileOn;
  std::vector<int> whileOff;
  std::set<std::pair<int, int>> windowPlaces;
  int home = 0;
  int ticks = 0;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    int x = 0;
    int y = 0;
    switch (message) {
      case WM_INITDIALOG:
        EXPECT_TRUE(Vibrate(0, nullptr, TRUE, INFINITE));
        SetTimer(screen, 1, 25, nullptr);
        return TRUE;
      case WM_TIMER:
        NewestWindowOrigin(&x, &y);
        windowPlaces.emplace(x, y);
        NewestFrameOrigin(&x, &y);
        ++ticks;
        if (ticks <= 8) {
          whileOn.push_back(x);
        } else if (ticks == 9) {
          VibrateStop();
          NewestFrameOrigin(&home, &y);
        } else if (ticks <= 14) {
          whileOff.push_back(x);
        } else {
          EndDialog(screen, 0);
        }
        return TRUE;
      default:
        return FALSE;
    }
  };
  RunTestScreen(kPlainScreen);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(whileOn.size(), 8u);
  EXPECT_GT(*std::max_element(whileOn.begin(), whileOn.end()) -
                *std::min_element(whileOn.begin(), whileOn.end()),
            2);
  EXPECT_THAT(whileOff, testing::Each(home));
  EXPECT_EQ(windowPlaces.size(), 1u) << "the window itself never moves";
}

TEST_F(VibratorTest, ARecorderTakesThePlaceOfTheShake) {
  std::vector<bool> calls;
  SetVibratorService([&](bool on) {
    calls.push_back(on);
    return TRUE;
  });
  EXPECT_TRUE(Vibrate(0, nullptr, TRUE, INFINITE));
  EXPECT_TRUE(VibrateStop());
  EXPECT_THAT(calls, ElementsAre(true, false));
}

}  // namespace
