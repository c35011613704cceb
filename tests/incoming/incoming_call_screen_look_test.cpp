// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a person sees of the ringing screen, read back from the phone frame's pixels: the two
// lines of text in their bands, the handset picture unscaled in the bottom-right corner with
// its magenta left out, and the pale background behind everything.
#include "platform/ui/painting.h"
#include "tests/incoming/incoming_fixture.h"

namespace {

using ::testing::ElementsAre;

// The frame's caption strip is 20 pixels high: client y = frame y - 20.
constexpr int kClientTop = 20;
constexpr COLORREF kPale = RGB(241, 241, 241);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

COLORREF ClientPixel(int x, int y) {
  COLORREF colour = 0xFFFFFFFF;
  ReadFramePixel(x, y + kClientTop, &colour);
  return colour;
}

int Brightness(COLORREF colour) {
  return (static_cast<int>(colour & 0xFF) + static_cast<int>((colour >> 8) & 0xFF) +
          static_cast<int>((colour >> 16) & 0xFF)) /
         3;
}

bool IsYellow(COLORREF colour) {
  const int red = colour & 0xFF;
  const int green = (colour >> 8) & 0xFF;
  const int blue = (colour >> 16) & 0xFF;
  return red > 200 && green > 150 && blue < 80;
}

// The client rows, left of the picture, that hold text (clearly dark pixels).
std::vector<int> RowsWithText() {
  std::vector<int> rows;
  for (int y = 0; y < 75; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (Brightness(ClientPixel(x, y)) < 120) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

struct Look {
  int lineHeight = 0;
  SIZE incomingLabel{};
  SIZE nameLabel{};
  std::vector<int> textRows;
  COLORREF background = 0;
  COLORREF pictureTopLeft = 0;      // bitmap (0, 0): magenta, left out
  COLORREF pictureHandset = 0;      // bitmap (60, 60): the handset
  COLORREF pictureBottomRight = 0;  // bitmap (111, 104): the disc
  COLORREF leftOfPicture = 0;
  bool magentaSeen = false;
};

class IncomingCallScreenLookTest : public IncomingFixture {
 protected:
  Look LookAtRingingScreen() {
    WriteSchedule("<CallInfo>" + Call("Mum", NowPlus(0), 1, "", 0) + "</CallInfo>");
    Look look;
    RunLater([&] {
      HWND screen = NewestScreen();
      SIZE extent{};
      if (GetTextExtentExPointW(GetDC(screen), u" Incoming", 9, 0, nullptr, nullptr, &extent)) {
        look.lineHeight = extent.cy + 3;
      }
      RECT rect{};
      GetClientRect(GetDlgItem(screen, IDC_INCOMING_LABEL), &rect);
      look.incomingLabel = {rect.right - rect.left, rect.bottom - rect.top};
      GetClientRect(GetDlgItem(screen, IDC_CALLER_NAME_LABEL), &rect);
      look.nameLabel = {rect.right - rect.left, rect.bottom - rect.top};
      look.textRows = RowsWithText();
      look.background = ClientPixel(5, 2);
      look.pictureTopLeft = ClientPixel(64, 75);
      look.pictureHandset = ClientPixel(64 + 60, 75 + 60);
      look.pictureBottomRight = ClientPixel(175, 179);
      look.leftOfPicture = ClientPixel(63, 179);
      for (int y = 75; y < 180 && !look.magentaSeen; y += 2) {
        for (int x = 64; x < 176 && !look.magentaSeen; x += 2) {
          look.magentaSeen = ClientPixel(x, y) == kMagenta;
        }
      }
      PressKey(VK_F1);
    });
    EXPECT_EQ(RunScreen(), 0);
    return look;
  }
};

TEST_F(IncomingCallScreenLookTest, TextLinesHandsetPictureAndPaleBackground) {
  const Look look = LookAtRingingScreen();
  const int h = look.lineHeight;
  ASSERT_GT(h, 3) << "\" Incoming\" could be measured";

  // A blank line, "Incoming", a blank line, the name: each label as wide as the client area
  // and one line high.
  EXPECT_EQ(look.incomingLabel.cx, 176);
  EXPECT_EQ(look.incomingLabel.cy, h);
  EXPECT_EQ(look.nameLabel.cx, 176);
  EXPECT_EQ(look.nameLabel.cy, h);
  ASSERT_FALSE(look.textRows.empty());
  bool inFirstBand = false;
  bool inSecondBand = false;
  for (const int row : look.textRows) {
    inFirstBand = inFirstBand || (row >= h && row < 2 * h);
    inSecondBand = inSecondBand || (row >= 3 * h && row < 4 * h);
    EXPECT_TRUE((row >= h && row < 2 * h) || (row >= 3 * h && row < 4 * h))
        << "text on client row " << row << " outside both lines (line height " << h << ")";
  }
  EXPECT_TRUE(inFirstBand) << "\"Incoming\" shows in its line";
  EXPECT_TRUE(inSecondBand) << "the name shows in its line";

  // The 112 x 105 picture stands at (64, 75) of the 176 x 180 client area.
  EXPECT_EQ(look.background, kPale);
  EXPECT_EQ(look.pictureTopLeft, kPale) << "magenta is left out";
  EXPECT_TRUE(IsYellow(look.pictureHandset)) << std::hex << look.pictureHandset;
  EXPECT_NE(look.pictureBottomRight, kPale) << "the disc reaches the corner";
  EXPECT_GT(Brightness(look.pictureBottomRight), 150) << "a light disc";
  EXPECT_EQ(look.leftOfPicture, kPale);
  EXPECT_FALSE(look.magentaSeen);
}

// The lines stand off the left edge, and a name too long for its line shows that it goes on.
TEST_F(IncomingCallScreenLookTest, TextStandsOffTheEdgeAndALongNameEndsWithAnEllipsis) {
  const std::string name = "Wendeline Featherstonehaugh-Smythe";
  WriteSchedule("<CallInfo>" + Call(name, NowPlus(0), 1, "", 0) + "</CallInfo>");
  std::u16string shown;
  int leftmostInk = 64;
  RunLater([&] {
    shown = ShownText(GetDlgItem(NewestScreen(), IDC_CALLER_NAME_LABEL));
    for (int y = 0; y < 75; ++y) {
      for (int x = 0; x < leftmostInk; ++x) {
        if (Brightness(ClientPixel(x, y)) < 120) {
          leftmostInk = x;
        }
      }
    }
    PressKey(VK_F1);
  });
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_GE(leftmostInk, 4);
  ASSERT_GE(shown.size(), 10u);
  EXPECT_EQ(ToUtf8(shown.substr(0, 10)), "Wendeline ");
  EXPECT_EQ(shown.back(), u'\u2026');
  EXPECT_LT(shown.size(), name.size());
}

// Where a desktop shows the frame twice as large, the handset is drawn from a finer picture:
// doubled pixels would leave every 2 x 2 block of device pixels in one colour.
TEST_F(IncomingCallScreenLookTest, AtTwiceTheScaleTheHandsetIsDrawnSharp) {
  WriteSchedule("<CallInfo>" + Call("Mum", NowPlus(0), 1, "", 0) + "</CallInfo>");
  std::vector<COLORREF> pixels;
  int width = 0;
  RunLater([&] {
    FramePicture(2, &pixels, &width);
    PressKey(VK_F1);
  });
  EXPECT_EQ(RunScreen(), 0);
  ASSERT_EQ(width, 2 * 176);
  int mixedBlocks = 0;
  for (int y = 2 * (kClientTop + 75); y < 2 * (kClientTop + 180); y += 2) {
    for (int x = 2 * 64; x < 2 * 176; x += 2) {
      const auto at = [&](int dx, int dy) { return pixels[(y + dy) * width + x + dx]; };
      mixedBlocks += at(0, 0) != at(1, 0) || at(0, 0) != at(0, 1) || at(0, 0) != at(1, 1);
    }
  }
  EXPECT_GT(mixedBlocks, 500);
}

TEST_F(IncomingCallScreenLookTest, TheHandsetBitmapIsTheSizeTheLayoutExpects) {
  HBITMAP picture = LoadBitmapW(&ProgramResources(), IDB_HANDSET);
  ASSERT_NE(picture, nullptr);
  BITMAP size{};
  ASSERT_NE(GetObjectW(picture, sizeof size, &size), 0);
  EXPECT_EQ(size.bmWidth, 112);
  EXPECT_EQ(size.bmHeight, 105);
  EXPECT_EQ(size.bmBitsPixel, 8) << "a 256-entry palette";
  DeleteObject(picture);
}

}  // namespace
