#pragma once
// A picture of a screen as a person sees it, for looking at screens outside the phone.
#include <string>

#include "platform/ui/window_types.h"

// Saves the whole phone frame holding `window` (caption strip, client area, soft-key bar) as a
// PNG file, at the frame's device pixels. False when there is no such window or no file.
bool SaveScreenPicture(HWND window, const std::string& path);
