// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Messages a screen procedure receives, and the platform's own commands.
#include "platform/ui/window_types.h"

inline constexpr UINT WM_ACTIVATE = 0x0006;  // LOWORD(wParam): WA_INACTIVE or WA_ACTIVE
inline constexpr UINT WM_SIZE = 0x0005;      // lParam: MAKELPARAM(client width, client height)
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_INITDIALOG = 0x0110;      // wParam: the first control that takes focus
inline constexpr UINT WM_COMMAND = 0x0111;         // wParam: command id | notification << 16
inline constexpr UINT WM_TIMER = 0x0113;           // wParam: the timer id
inline constexpr UINT WM_CTLCOLORDLG = 0x0136;     // wParam: HDC; answer: a brush
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;  // wParam: HDC, lParam: the control
inline constexpr UINT WM_HOTKEY = 0x0312;  // wParam: hot key id; lParam: modifiers | key << 16
// A program's own messages are numbered from here.
inline constexpr UINT WM_APP = 0x8000;

inline constexpr WORD WA_INACTIVE = 0;
inline constexpr WORD WA_ACTIVE = 1;

// The platform's own commands: the action key and the Back key.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
