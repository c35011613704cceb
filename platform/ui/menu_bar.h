// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The smartphone shell's calls: full-screen screens and their soft-key bars.
#include "platform/ui/window_types.h"

inline constexpr DWORD SHIDIM_FLAGS = 0x0001;
inline constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
struct SHINITDLGINFO {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
};
// Sizes the screen to fill the frame's client area.
BOOL SHInitDialog(SHINITDLGINFO* info);

// SHMENUBARINFO's size on the phone (32-bit handles); this build's own size is accepted too.
inline constexpr DWORD kPhoneMenuBarInfoSize = 36;
struct SHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;  // out: the bar
  COLORREF clrBk;
};
// Puts the bar resource nToolBarId at the bottom of the screen's frame. FALSE, with no bar,
// when the resource does not exist.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// Sent to a bar: wParam the key, lParam MAKELPARAM(mask, value) of the flags below.
inline constexpr UINT SHCMBM_OVERRIDEKEY = 0x0593;
inline constexpr WORD SHMBOF_NODEFAULT = 0x0001;  // the bar no longer acts on the key
inline constexpr WORD SHMBOF_NOTIFY = 0x0002;     // the screen gets WM_HOTKEY for it

// Hands a WM_HOTKEY of the Back key to the focused window: an edit field erases one character.
void SHSendBackToFocusWindow(UINT message, WPARAM wParam, LPARAM lParam);
