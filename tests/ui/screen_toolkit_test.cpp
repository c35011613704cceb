// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The screen toolkit through the real platform: running screens, the bar, the text unit, the
// report list and its rows, row icons and the pale background.
#include "toolkit/screen_toolkit.h"

#include <gmock/gmock.h>

#include "tests/support/list_cells.h"
#include "tests/support/process_state_reset.h"
#include "tests/ui/ui_fixture.h"
#include "toolkit/process_state.h"

namespace {

using ::testing::ElementsAre;

class ScreenToolkitTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    test_support::ResetProcessState(TestInstance());
  }

  // Runs the plain screen with a report list of `columns` over its client area; `step` runs
  // once the screen shows, with the list.
  void RunWithList(std::vector<double> fractions, std::function<void(HWND list)> step) {
    Slot(0).answer = [this, fractions](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
      if (message == WM_INITDIALOG) {
        InitScreenWithBar(screen, kTwoKeyBar);
        GetClientRect(screen, &client_);
        list_ = CreateReportList(screen, client_);
        for (std::size_t i = 0; i < fractions.size(); ++i) {
          AddListColumn(list_, static_cast<int>(i), i == 0 ? u"Caller" : nullptr, client_,
                        fractions[i]);
        }
        AttachRowIcons(list_, {1, 1});
      } else if (message == WM_ACTIVATE) {
        SetFocus(list_);
      }
      return message == WM_INITDIALOG || message == WM_ACTIVATE;
    };
    RunLater([this, step] {
      step(list_);
      EndDialog(NewestScreen(), 0);
    });
    EXPECT_EQ(RunModalScreen(kPlainScreen, ProcedureOf(0)), 0);
  }

  static std::u16string Cell(HWND list, int row, int column) {
    return test_support::ListCellText(list, row, column);
  }

  static void SelectRow(HWND list, int row) {
    LVITEMW item{};
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }

  RECT client_{};
  HWND list_ = nullptr;
};

TEST_F(ScreenToolkitTest, MissingResourcesGiveNoScreenAndNoBar) {
  EXPECT_EQ(RunModalScreen(999, ProcedureOf(0)), -1);
  HWND bar = reinterpret_cast<HWND>(1);
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      bar = InitScreenWithBar(screen, 999);
      OverrideBarKey(bar, VK_TBACK);  // nothing to override: nothing happens
      EndDialog(screen, 3);
    }
    return TRUE;
  };
  EXPECT_EQ(RunModalScreen(kPlainScreen, ProcedureOf(0)), 3);
  EXPECT_EQ(bar, nullptr);
}

TEST_F(ScreenToolkitTest, TheTextUnitIsAboutSixteenPixelsAndFontsFollowIt) {
  int unit = 0;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      unit = MeasureTextUnit(screen);
      EndDialog(screen, 0);
    }
    return TRUE;
  };
  RunModalScreen(kPlainScreen, ProcedureOf(0));
  EXPECT_EQ(unit, 16);

  // A font asked for with a cell height shows text that high.
  LOGFONTW request{};
  request.lfHeight = unit + 2;
  request.lfWeight = FW_NORMAL;
  request.lfPitchAndFamily = FF_SWISS;
  const char16_t face[] = u"Tahoma";
  std::copy(std::begin(face), std::end(face), request.lfFaceName);
  HFONT font = CreateFontIndirectW(&request);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(CreateFontIndirectW(&request), font);  // the same font is shared
  int shown = 0;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      HWND label = GetDlgItem(screen, kLabel);
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      shown = ShownTextHeight(label);
      EndDialog(screen, 0);
    }
    return TRUE;
  };
  RunModalScreen(kFormScreen, ProcedureOf(0));
  EXPECT_EQ(shown, 18);
  HDC dc = GetDC(nullptr);
  SIZE extent{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, u" Incoming", 9, 0, nullptr, nullptr, &extent));
  EXPECT_EQ(extent.cy, unit);
  EXPECT_GT(extent.cx, 40);
  int fit = 0;
  int partial[9] = {};
  ASSERT_TRUE(GetTextExtentExPointW(dc, u" Incoming", 9, extent.cx / 2, &fit, partial, &extent));
  EXPECT_GT(fit, 2);
  EXPECT_LT(fit, 8);
  EXPECT_LE(partial[fit - 1], extent.cx / 2);
  EXPECT_GT(partial[fit], extent.cx / 2);
  EXPECT_FALSE(GetTextExtentExPointW(nullptr, u"A", 1, 0, nullptr, nullptr, &extent));
}

TEST_F(ScreenToolkitTest, ColumnsTakeTheirFractionOfTheClientWidthTruncated) {
  int first = 0;
  int second = 0;
  RECT listRect{};
  RunWithList({0.4, 0.6}, [&](HWND list) {
    first = ShownColumnWidth(list, 0);
    second = ShownColumnWidth(list, 1);
    GetClientRect(list, &listRect);
  });
  EXPECT_EQ(client_.right, 176);
  EXPECT_EQ(first, 70);
  EXPECT_EQ(second, 105);
  EXPECT_EQ(listRect.right, 176);
  EXPECT_EQ(listRect.bottom, 180);
}

TEST_F(ScreenToolkitTest, SetListCellAppendsRowsAndChangesOnlyTheCellAsked) {
  std::vector<int> rows;
  int changed = -1;
  std::vector<std::u16string> cells;
  RunWithList({0.4, 0.6}, [&](HWND list) {
    rows.push_back(SetListCell(list, u"Ann", 0, 0));
    for (const char16_t* name : {u"Bo", u"Cy", u"Di", u"Ed", u"Flo"}) {
      rows.push_back(SetListCell(list, name, 0, 1));
    }
    SetListCell(list, u"12-01 00:00:00", 1, 4);
    changed = SetListCell(list, u"03-07 14:05:09", 1, 5);
    SetListCell(list, nullptr, 1, 3);  // no text: an empty cell
    cells = {Cell(list, 5, 0), Cell(list, 5, 1), Cell(list, 4, 1), Cell(list, 3, 1),
             Cell(list, 0, 1)};
  });
  EXPECT_THAT(rows, ElementsAre(0, 1, 2, 3, 4, 5));
  EXPECT_EQ(changed, 5);
  EXPECT_THAT(cells, ElementsAre(u"Flo", u"03-07 14:05:09", u"12-01 00:00:00", u"", u""));
}

TEST_F(ScreenToolkitTest, TheSelectionMarkFollowsTheSelectedRowAndTheArrows) {
  std::vector<int> marks;
  std::u16string text;
  int image = -1;
  bool readEmpty = true;
  RunWithList({1.0}, [&](HWND list) {
    marks.push_back(GetSelectedRowIndex(list));  // empty list
    SetListCell(list, u"..", 0, 1);
    SetListCell(list, u"Music", 0, 1);
    SetListCell(list, u"ring.mp3", 0, 0);
    marks.push_back(GetSelectedRowIndex(list));  // rows, none selected
    SelectRow(list, 0);
    marks.push_back(GetSelectedRowIndex(list));
    EXPECT_EQ(ShownRowState(list, 0), LVIS_SELECTED | LVIS_FOCUSED);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    marks.push_back(GetSelectedRowIndex(list));
    char16_t buffer[256] = {};
    LVITEMW item{};
    item.pszText = buffer;
    readEmpty = !GetSelectedRowText(list, &item);
    text = buffer;
    image = item.iImage;
    PressKey(VK_UP);
    marks.push_back(GetSelectedRowIndex(list));
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    marks.push_back(GetSelectedRowIndex(list));
    EXPECT_FALSE(GetSelectedRowText(list, &item));
  });
  EXPECT_THAT(marks, ElementsAre(-1, -1, 0, 2, 1, -1));
  EXPECT_EQ(GetSelectedRowIndex(nullptr), -1);  // a screen whose list was not made
  EXPECT_FALSE(readEmpty);
  EXPECT_EQ(text, u"ring.mp3");
  EXPECT_EQ(image, 0);
}

TEST_F(ScreenToolkitTest, RowIconsAreAttachedInOrderAndUnknownIconsAreSkipped) {
  HIMAGELIST images = ImageList_Create(16, 16, 0xFF, 1, 0);
  EXPECT_EQ(ImageList_ReplaceIcon(images, -1, LoadIconW(TestInstance(), 1)), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(images, -1, LoadIconW(TestInstance(), 1)), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(images, -1, LoadIconW(TestInstance(), 77)), -1);
  EXPECT_EQ(ImageList_GetImageCount(images), 2);
  EXPECT_EQ(LoadIconW(TestInstance(), 77), nullptr);
}

TEST_F(ScreenToolkitTest, ThePaleBackgroundColoursLabelsAndOnRequestTheWholeScreen) {
  COLORREF label = 0;
  COLORREF elsewhere = 0;
  auto paleProcedure = [](bool wholeScreen) {
    return [wholeScreen](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
      switch (message) {
        case WM_INITDIALOG:
          InitScreenWithBar(screen, kTwoKeyBar);
          return TRUE;
        case WM_CTLCOLORDLG:
          return wholeScreen ? PaleBackground(screen, wParam) : FALSE;
        case WM_CTLCOLORSTATIC:
          EXPECT_EQ(SetBkMode(reinterpret_cast<HDC>(wParam), OPAQUE), OPAQUE);
          return PaleBackground(screen, wParam);
        default:
          return FALSE;
      }
    };
  };
  Slot(0).answer = paleProcedure(false);
  RunLater([&] {
    ReadFramePixel(170, 20 + 8, &label);        // right end of the label, past its text
    ReadFramePixel(170, 20 + 150, &elsewhere);  // below every control
    EndDialog(NewestScreen(), 0);
  });
  RunModalScreen(kFormScreen, ProcedureOf(0));
  EXPECT_EQ(label, RGB(241, 241, 241));
  EXPECT_EQ(elsewhere, RGB(255, 255, 255));

  Slot(0).answer = paleProcedure(true);
  RunLater([&] {
    ReadFramePixel(170, 20 + 150, &elsewhere);
    EndDialog(NewestScreen(), 0);
  });
  RunModalScreen(kFormScreen, ProcedureOf(0));
  EXPECT_EQ(elsewhere, RGB(241, 241, 241));
}

}  // namespace
