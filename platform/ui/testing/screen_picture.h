// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A picture of a screen as a person sees it, for looking at screens outside the phone.
#include <string>

#include "platform/ui/window_types.h"

// Saves the whole phone frame holding `window` (caption strip, client area, soft-key bar) as a
// PNG file, at the frame's device pixels. False when there is no such window or no file.
bool SaveScreenPicture(HWND window, const std::string& path);

// Paints the whole phone frame holding `window` into a picture kept in memory, as it would be
// saved; false when there is no such window. Measurements use it: encoding a PNG file loads
// Qt's image plugins, which the program itself never does.
bool PaintScreenPicture(HWND window);
