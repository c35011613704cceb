// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the phone's keys on a desktop keyboard. Every key event for a
// screen's frame passes the router first.

// Installs the router on the application, once; it forgets a screen's hot keys when the screen
// ends.
void InstallKeyRouter();
