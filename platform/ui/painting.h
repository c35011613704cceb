// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Device contexts, text measuring, fonts, brushes, icons and bitmaps.
#include "platform/ui/window_types.h"

// The window's own device context, measuring in the screen font. Never needs releasing.
// nullptr gives the screen's.
HDC GetDC(HWND window);
// Extent of the first `count` characters; fit count and partial widths when asked for.
BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, int* fit,
                           int* partialWidths, SIZE* size);

// A face that the host lacks ("Tahoma", "MS Sans Serif") falls back to the system sans.
HFONT CreateFontIndirectW(const LOGFONTW* font);

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
// Returns the previous mode, 0 on failure.
int SetBkMode(HDC dc, int mode);
HBRUSH CreateSolidBrush(COLORREF colour);

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};
// Inside WM_PAINT: a device context that draws on the window.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Returns the object of the same kind that was selected before.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};
// Fills a BITMAP for a bitmap; returns the bytes written, 0 on failure.
int GetObjectW(HGDIOBJ object, int size, void* buffer);
// Copies the source rectangle of `source` (a device context or a bitmap) to the destination,
// leaving out the pixels of the transparent colour.
BOOL TransparentImage(HDC destination, LONG x, LONG y, LONG width, LONG height, HANDLE source,
                      LONG sourceX, LONG sourceY, LONG sourceWidth, LONG sourceHeight,
                      COLORREF transparent);

// Icon and bitmap resources by number. A resource whose picture is not made yet loads as an
// empty 16 x 16 picture; an unknown number gives nullptr.
HICON LoadIconW(HINSTANCE instance, int id);
HBITMAP LoadBitmapW(HINSTANCE instance, int id);
// Starts decoding a bitmap's finer picture (drawn on frames scaled past one device pixel per
// pixel) on a thread of its own, so that a first paint soon after finds it ready. Usable
// before the screen platform starts.
void PrepareBitmap(HINSTANCE instance, int id);

// Image lists of equal-sized pictures, shown beside list rows.
HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial, int grow);
// Index -1 appends. Returns the picture's index, or -1 when there is no icon.
int ImageList_ReplaceIcon(HIMAGELIST images, int index, HICON icon);
