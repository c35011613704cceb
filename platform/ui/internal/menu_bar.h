// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the soft-key bar as a window that takes messages.
#include "platform/ui/internal/windows.h"

LRESULT BarMessage(BarWindow* bar, UINT message, WPARAM wParam, LPARAM lParam);
