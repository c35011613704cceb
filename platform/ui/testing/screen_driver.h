// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Drives the screens as a person does: keys pressed on the newest screen (or on the message box
// over it), text typed into the focused control. For tests and for scripted demonstrations.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/keys.h"
#include "platform/ui/window_types.h"

// Presses and releases the key on whatever has the focus in the newest modal window: a screen,
// its open soft-key popup, or a message box. A key that opens another screen returns only when
// that screen has ended, so steps for nested screens are queued ahead with RunLater.
void PressKey(UINT virtualKey);
void TypeText(std::u16string_view text);
// The two halves of PressKey, for keys whose release matters (hot keys reported on release).
void PressKeyDown(UINT virtualKey);
void ReleaseKey(UINT virtualKey);
// A click with the left button at (x, y) of the newest screen's frame, in logical pixels from
// the frame's top-left corner (the caption strip is y 0 to 19, the client area y 20 to 199,
// the soft-key bar y 200 to 219). An open message box over that point takes the click.
void ClickAt(int x, int y);
// Two clicks in quick succession there, as a double tap arrives.
void DoubleClickAt(int x, int y);
// Turns the mouse wheel at (x, y) of the newest screen's frame: positive notches roll away
// from the person (up), negative towards (down).
void WheelAt(int x, int y, int notches);

// Queues `step` to run from the event loop of whichever screen is newest when its turn comes.
// Steps run in the order queued; each starts after the previous one returned or began waiting
// in a nested screen.
void RunLater(std::function<void()> step);

// The newest screen, or nullptr when none runs.
HWND NewestScreen();
// The control that has the focus in the newest screen, or nullptr.
HWND FocusedControl();
// When a message box is open: true, with its caption and text. Otherwise false.
bool OpenMessageBox(std::u16string* caption, std::u16string* text);
// Where the open message box and its parts stand, in the newest frame's coordinates (as
// ClickAt). False when no message box is open.
struct MessageBoxPlaces {
  RECT box;
  RECT caption;  // the caption strip
  RECT text;
  RECT button;  // OK
};
bool OpenMessageBoxPlaces(MessageBoxPlaces* places);
// The captions the newest screen's soft-key bar shows (empty when it has none).
std::u16string LeftSoftKeyCaption();
std::u16string RightSoftKeyCaption();
// The texts of the open soft-key popup's entries, as shown ("1 DEL", ...); empty when closed.
std::u16string OpenPopupText();
// Where entry `index` (from 0) of the open popup stands in the frame; false when there is none.
bool OpenPopupEntryRect(int index, RECT* rect);
// The colour a person sees at (x, y) of the newest screen's frame (coordinates as ClickAt),
// the open message box's where it covers the point; false when no screen runs or the point
// lies outside the frame.
bool ReadFramePixel(int x, int y, COLORREF* colour);
// The newest screen's frame as a screen with `scale` device pixels per logical pixel shows it
// (a desktop's x2, say): its colours row by row, `width` to a row. False when no screen runs.
bool FramePicture(int scale, std::vector<COLORREF>* pixels, int* width);
// Where the newest screen's frame content stands on the desktop (its window's place, moved by
// the shake); false when no screen runs.
bool NewestFrameOrigin(int* x, int* y);
// Where the newest screen's window stands on the desktop; false when no screen runs.
bool NewestWindowOrigin(int* x, int* y);
// The window's close button, as a person clicks it on the desktop.
void PressCloseButton();
// Resizes the program's window, as a desktop or a compositor does, and lets it lay out.
void ResizeProgramWindow(int width, int height);
// The titles of the program's windows a desktop shows now, in no order.
std::vector<std::u16string> ShownWindowTitles();

// What a person sees of a report list now: the text of a cell, cut with "…" where its column
// is too narrow, empty when the row is not wholly in sight; and the row shown at the list's
// top, -1 when it shows none.
std::u16string ShownListCell(HWND list, int row, int column);
int TopShownListRow(HWND list);
// Where row `row` of a report list stands in the newest frame (coordinates as ClickAt); false
// when the list has no such row or it is scrolled out of the list's rows.
bool ListRowPlace(HWND list, int row, RECT* place);
// The width a person sees of a report list's column; 0 when it has no such column.
int ShownColumnWidth(HWND list, int column);
// How row `row` shows: LVIS_SELECTED when highlighted, LVIS_FOCUSED when it has the focus mark.
UINT ShownRowState(HWND list, int row);
// Lets the event loop run for about this long within a step, as time passes between two keys:
// timers fire and notices from other processes arrive.
void LetTimePass(int milliseconds);

// Where a window of the newest screen (a control, a list) stands in its frame now, scrolling
// included (coordinates as ClickAt); false when it is not a window of the newest screen.
bool WindowPlace(HWND window, RECT* place);
// The text a control shows now: of an edit field's long text only a stretch shows, and a
// static text too long for its one line shows cut with an ellipsis.
std::u16string ShownText(HWND control);
// Where the open calendar of a date picker stands, in the newest frame's coordinates (as
// ClickAt); false when none is open.
bool OpenCalendarPlace(RECT* place);

// The height of a line of the window's text as it shows, in its font; 0 for no window.
int ShownTextHeight(HWND window);
// The pictures in an image list; 0 for no list.
int ImageList_GetImageCount(HIMAGELIST images);

// Handles alive now, of each kind: what every screen made is freed when it ends.
struct LiveHandles {
  int windows = 0;
  int fonts = 0;
  int brushes = 0;
  int bitmaps = 0;
  int imageLists = 0;
  int deviceContexts = 0;
  bool operator==(const LiveHandles&) const = default;
};
LiveHandles CountLiveHandles();
// Calls given a dead handle since the start (each also said on stderr).
int DeadHandleCalls();
