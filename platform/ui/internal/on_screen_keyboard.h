// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: Phosh's on-screen keyboard (squeekboard) for a program whose
// Qt speaks no text-input protocol that the compositor offers (Qt 6.4 on phoc, which offers
// only text-input v3): shown over the session bus (sm.puri.OSK0) while a control that takes
// typing has the focus, hidden when the focus leaves it.

// Set on a field that only shows a choice made elsewhere: it takes no typing.
inline constexpr char kShowsChoiceProperty[] = "pelorinShowsChoice";

// Starts following the focus; does nothing unless the platform is Wayland and the compositor
// offers no text input Qt itself speaks.
void FollowTypingWithOnScreenKeyboard();
