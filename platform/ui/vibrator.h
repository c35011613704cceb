// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The phone's vibrator. On a phone feedbackd runs the haptic motor while the vibrator is on.
// Without one (no session bus, no feedbackd, no motor, no answer within 300 ms) the phone frame
// of the newest screen shakes while the vibrator is on and stands still while it is off.
#include <functional>

#include "platform/ui/window_types.h"

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
struct VIBRATENOTE;

// Starts the vibrator until VibrateStop; never waits for feedbackd. TRUE when feedbackd was
// asked or the shake started; FALSE when there is neither a session bus nor a screen to shake.
BOOL Vibrate(DWORD noteCount, const VIBRATENOTE* notes, BOOL repeat, DWORD timeout);
BOOL VibrateStop();

// Tests put a recorder in the place of the frame shake: called with true for Vibrate and false
// for VibrateStop. An empty function restores the shake.
using VibratorService = std::function<BOOL(bool on)>;
void SetVibratorService(VibratorService service);
