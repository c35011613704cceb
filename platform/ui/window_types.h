// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The phone's window-system types, kept with their own names so that screen code reads the same
// here. Handles are opaque; texts are UTF-16 (`char16_t`), as everywhere in the program.
#include <cstdint>

struct HWND__;
using HWND = HWND__*;  // a screen, a control or a soft-key bar
struct HMENU__;
using HMENU = HMENU__*;  // as a control id when creating a child window
// The module whose resources are looked up by number: points at a ResourceModule.
using HINSTANCE = const void*;
struct HDC__;
using HDC = HDC__*;  // a device context: where text is measured and pictures are drawn
struct HGDIOBJ__;
using HGDIOBJ = HGDIOBJ__*;  // a font, a brush or a bitmap
using HFONT = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HBITMAP = HGDIOBJ;
struct HICON__;
using HICON = HICON__*;
struct HIMAGELIST__;
using HIMAGELIST = HIMAGELIST__*;
using HANDLE = void*;

using BOOL = int;
inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;

constexpr WORD LOWORD(std::uintptr_t value) {
  return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t value) {
  return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
  return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
         (static_cast<COLORREF>(blue) << 16);
}

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct SIZE {
  LONG cx;
  LONG cy;
};

inline constexpr LONG FW_NORMAL = 400;
inline constexpr BYTE FF_SWISS = 0x20;
struct LOGFONTW {
  LONG lfHeight;  // > 0: cell height in pixels; < 0: character height
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char16_t lfFaceName[32];
};

// A screen procedure: answers TRUE when it handled the message, FALSE otherwise, or a brush
// for the colour messages.
using DLGPROC = INT_PTR (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
