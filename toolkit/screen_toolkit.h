// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What every screen shares: running a screen, its full-screen frame and soft-key bar, the key
// overrides, the text unit, fonts, the report list and its rows, and the pale background.
#include <initializer_list>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/message_box.h"
#include "platform/ui/painting.h"

// Runs screen template `templateId` with `procedure` until it ends; returns its end code.
// -1 when the template does not exist.
INT_PTR RunModalScreen(int templateId, DLGPROC procedure);

// Makes the screen fill the frame and gives it soft-key bar `barId`. The bar, or nullptr when
// either step failed.
HWND InitScreenWithBar(HWND screen, int barId);

// Takes `virtualKey` away from the bar: the screen receives it as WM_HOTKEY instead.
void OverrideBarKey(HWND bar, UINT virtualKey);

// The height of "A" in the window's font, or 0 when it cannot be measured.
int MeasureTextUnit(HWND window);
// The pitch of the screens' laid-out lines: the text unit and one pixel, 17 when unmeasured.
int MeasureLayoutLine(HWND screen);

// Gives `control` a "Tahoma" font `extra` pixels higher than its text unit (16 when unmeasured).
void SetScreenFont(HWND control, int extra);

// A report list covering `clientRect` of the screen, or nullptr.
HWND CreateReportList(HWND screen, const RECT& clientRect);
// A report list covering the whole screen with one column as wide as the screen, and the
// row icons `iconIds`; nullptr when it could not be made.
HWND CreateOneColumnList(HWND screen, LPCWSTR caption, std::initializer_list<int> iconIds);
void AddListColumn(HWND list, int column, LPCWSTR caption, const RECT& clientRect, double fraction);
// Column <= 0 appends a row showing image `imageOrRow`; column > 0 sets that cell of row
// `imageOrRow`. Returns the row.
int SetListCell(HWND list, LPCWSTR text, int column, int imageOrRow);
// Fills `item` (whose pszText holds at least 256 characters) from the row carrying the
// selection mark: its text and image. False when no row carries the mark.
bool GetSelectedRowText(HWND list, LVITEMW* item);
int GetSelectedRowIndex(HWND list);
// The row carrying the selection mark: its index, image and text (at most 255 characters).
struct ListRow {
  int index = -1;
  int image = 0;
  std::u16string text;
};
// False when there is no list or no row carries the mark.
bool ReadSelectedRow(HWND list, ListRow* row);
// Marks the row selected and focused and scrolls the list to it. Lists open on their first
// row: a fill leaves them scrolled to the row added last.
void SelectListRow(HWND list, int row);
// Gives the list's rows a small-image list of these icons, in order: image 0, 1, ...
void AttachRowIcons(HWND list, std::initializer_list<int> iconIds);

// The answer to WM_ACTIVATE on a screen whose list or field takes the focus: any non-zero
// parameter means the screen becomes active, and `control` gets the focus (TRUE); a screen
// becoming inactive leaves the message unhandled (FALSE).
INT_PTR FocusWhenActivated(WPARAM activation, HWND control);

// The answer to WM_SIZE on a screen that is one list: the list covers the new client area
// (width and height in `size`, as WM_SIZE carries them), showing more rows or fewer (TRUE).
INT_PTR CoverClientWithList(LPARAM size, HWND list);

// The answer to WM_CTLCOLORSTATIC / WM_CTLCOLORDLG on the pale screens: transparent text over
// a pale grey brush, stored as the message result and returned.
INT_PTR PaleBackground(HWND screen, WPARAM deviceContext);
