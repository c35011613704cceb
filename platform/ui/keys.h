// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The phone's keys. On a desktop keyboard: F1 and F2 the soft keys, Enter the action key,
// Escape Back, F3 Talk; the arrows, Tab and Backspace as themselves.
#include "platform/ui/window_types.h"

inline constexpr UINT VK_BACK = 0x08;  // erase
inline constexpr UINT VK_TAB = 0x09;
inline constexpr UINT VK_RETURN = 0x0D;  // the action key
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_TBACK = VK_ESCAPE;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_LEFT = 0x25;
inline constexpr UINT VK_UP = 0x26;
inline constexpr UINT VK_RIGHT = 0x27;
inline constexpr UINT VK_DOWN = 0x28;
// Digits and letters are their characters: '0'..'9', 'A'..'Z'.
inline constexpr UINT VK_F1 = 0x70;
inline constexpr UINT VK_TSOFT1 = VK_F1;
inline constexpr UINT VK_F2 = 0x71;
inline constexpr UINT VK_TSOFT2 = VK_F2;
inline constexpr UINT VK_F3 = 0x72;
inline constexpr UINT VK_TTALK = VK_F3;

inline constexpr UINT MOD_ALT = 0x0001;
inline constexpr UINT MOD_CONTROL = 0x0002;
inline constexpr UINT MOD_SHIFT = 0x0004;
inline constexpr UINT MOD_KEYUP = 0x1000;  // reported when the key is released
