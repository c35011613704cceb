// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A modal message box over a screen.
#include "platform/ui/window_types.h"

inline constexpr UINT MB_ICONERROR = 0x0010;

// Shows `text` with `caption` and an OK button until dismissed; returns IDOK (1).
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
