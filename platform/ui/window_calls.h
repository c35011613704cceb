// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The window calls a screen procedure makes: its controls by id, texts, places, the focus, the
// answer to the message being handled, timers, and every message sent to a window.
#include "platform/ui/messages.h"
#include "platform/ui/window_types.h"

HWND GetDlgItem(HWND screen, int controlId);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
// Copies at most `capacity` - 1 characters and a terminating zero; returns the count copied.
int GetWindowTextW(HWND window, LPWSTR buffer, int capacity);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND window, RECT* rect);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Returns the window that had the focus before, or nullptr.
HWND SetFocus(HWND window);
HWND GetFocus();

// The answer of a screen procedure for the message being handled.
inline constexpr int DWL_MSGRESULT = 0;
LONG_PTR SetWindowLongW(HWND screen, int index, LONG_PTR value);

// Window timers: WM_TIMER with the id every `elapse` milliseconds while the screen runs, until
// KillTimer. The screen's procedure takes the ticks: a timer procedure is not offered (0 when
// one is given).
using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR id, DWORD time);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR id);
