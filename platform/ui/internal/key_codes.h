// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the phone's virtual-key codes and Qt's keys, both ways.
#include <QKeyEvent>
#include <QString>

#include "platform/ui/window_types.h"

// The virtual key of a Qt key event; 0 when the key has none here.
UINT VirtualKeyOf(const QKeyEvent& event);
// MOD_ALT, MOD_CONTROL, MOD_SHIFT of the event.
UINT ModifiersOf(const QKeyEvent& event);
// The Qt key and the text a key press of `virtualKey` carries.
int QtKeyOf(UINT virtualKey);
QString TypedTextOf(UINT virtualKey);
