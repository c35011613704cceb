// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the phone frame's fonts. Faces the host lacks ("Tahoma",
// "MS Sans Serif") fall back to the system sans.
#include <QFont>

#include "platform/ui/window_types.h"

// Begins reading the font configuration on a thread of its own (at the platform's start); the
// first font made here waits for it.
void PrepareFontConfiguration();

// The frame's default font: "Tahoma", sized so that the cell height of "A" is 16 pixels (18 on
// a finger's screen).
QFont ScreenFont();
// The face at the largest pixel size whose cell height is at most `cellHeight`.
QFont FontWithCellHeight(const QString& face, int cellHeight);
QFont FontFromLogFont(const LOGFONTW& font);
// A template's font given in points, at the phone's 96 dots per inch.
QFont FontFromPoints(const QString& face, int points);
