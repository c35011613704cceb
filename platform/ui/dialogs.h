// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Modal screens. Every screen is a top-level window in the phone frame: a 20-pixel caption
// strip, a 176 x 180 client area, a 20-pixel soft-key bar. With this header come the window
// calls and hot keys that screen procedures use.
#include "platform/ui/hot_keys.h"
#include "platform/ui/messages.h"
#include "platform/ui/resource_module.h"
#include "platform/ui/window_calls.h"
#include "platform/ui/window_types.h"

// Runs the screen made from `dialog` until its procedure calls EndDialog, in a nested event
// loop, and returns the end code. -1 when the screen cannot be made. `owner` and `instance`
// are accepted for the phone's signature; a screen always covers the newest screen.
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const DLGTEMPLATE* dialog, HWND owner,
                                DLGPROC procedure, LPARAM initParam);
// Ends the screen with `code` once the message being handled returns. The screen receives no
// further message; when called during WM_INITDIALOG the screen is never shown. What the
// screen made (its windows, timers, hot keys, fonts, brushes, bitmaps and image lists) is freed
// with it.
BOOL EndDialog(HWND screen, INT_PTR code);
