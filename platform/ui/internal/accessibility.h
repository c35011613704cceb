// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: what a screen reader (Orca, through AT-SPI and Qt's bridge)
// reads of the screens. Qt exposes its own controls; the parts the frame paints itself get
// interfaces here: the caption strip as the screen's title, the soft keys as push buttons that
// press, the popup's entries as menu items, static texts as labels, the message box as an
// alert. Every control on the window's stage, and every cell of its lists, reports its place in
// the screen's pixels, however large the frame is drawn, and the stage hangs under the
// program's window, not beside it.

// Installs the interfaces once; a screen reader that starts later finds them too.
void InstallAccessibility();
