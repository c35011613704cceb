// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the phone frame's measures, in logical pixels.

inline constexpr int kFrameWidth = 176;
inline constexpr int kCaptionHeight = 20;
inline constexpr int kClientHeight = 180;
inline constexpr int kBarHeight = 20;
inline constexpr int kFrameHeight = kCaptionHeight + kClientHeight + kBarHeight;
inline constexpr int kScrollBarWidth = 6;

// The frame's height now. The frame is always kFrameWidth wide: the window's width sets the
// scale, and a window taller than the phone's shape gets a taller frame, its client area
// taking the difference. The program's window keeps it up to date.
int FrameHeight();
void SetFrameHeight(int height);
inline int ClientAreaHeight() {
  return FrameHeight() - kCaptionHeight - kBarHeight;
}

// Whether the program runs on a screen taller than the phone's shape (a phone's own, held
// upright), where a finger hits the controls: text, lines and rows are a pixel taller and the
// date and time fields' buttons wider, so that each target is at least 36 screen pixels
// (about 7 mm) each way at the width a phone's 360 pixels give the frame. Decided once, from
// the screen the program starts on; a desktop keeps the phone's own measures.
bool FingerSized();
