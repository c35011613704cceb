// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Messages of the template controls: edit fields, check boxes, date pickers, and the ones
// every window takes.
#include "platform/system/phone_types.h"
#include "platform/ui/window_types.h"

inline constexpr UINT WM_SETREDRAW = 0x000B;  // wParam FALSE: no repaint until TRUE
inline constexpr UINT WM_SETFONT = 0x0030;    // wParam: HFONT; lParam: repaint

// Notifications in the high word of a WM_COMMAND wParam.
inline constexpr WORD BN_CLICKED = 0;
inline constexpr WORD EN_CHANGE = 0x0300;

inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr WPARAM BST_UNCHECKED = 0;
inline constexpr WPARAM BST_CHECKED = 1;

// Date pickers: lParam points at a SYSTEMTIME.
inline constexpr UINT DTM_GETSYSTEMTIME = 0x1001;
inline constexpr UINT DTM_SETSYSTEMTIME = 0x1002;
inline constexpr LRESULT GDT_VALID = 0;
