#pragma once
// Used only inside platform/ui: the soft-key bar as a window that takes messages.
#include "platform/ui/internal/windows.h"

LRESULT BarMessage(BarWindow* bar, UINT message, WPARAM wParam, LPARAM lParam);
