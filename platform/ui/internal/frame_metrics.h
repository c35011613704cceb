#pragma once
// Used only inside platform/ui: the phone frame's measures, in logical pixels.

inline constexpr int kFrameWidth = 176;
inline constexpr int kCaptionHeight = 20;
inline constexpr int kClientHeight = 180;
inline constexpr int kBarHeight = 20;
inline constexpr int kFrameHeight = kCaptionHeight + kClientHeight + kBarHeight;
inline constexpr int kScrollBarWidth = 6;
