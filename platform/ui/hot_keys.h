// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Hot keys: a key that reaches one screen's procedure whichever screen is the newest.
#include "platform/ui/keys.h"
#include "platform/ui/window_types.h"

// WM_HOTKEY to `window` with wParam = id and lParam = MAKELPARAM(modifiers, key) whenever the key
// is pressed (released, with MOD_KEYUP) in any screen. FALSE when another registration has the
// same key and modifiers.
BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtualKey);
BOOL UnregisterHotKey(HWND window, int id);
