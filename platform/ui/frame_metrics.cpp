// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The frame's height, which follows the shape of the program's window.
#include "platform/ui/internal/frame_metrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

int frameHeight = kFrameHeight;

}  // namespace

int FrameHeight() {
  return frameHeight;
}

void SetFrameHeight(int height) {
  frameHeight = std::max(height, kFrameHeight);
}

bool FingerSized() {
  static int decided = -1;
  if (decided < 0) {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    if (screen == nullptr) {
      return false;  // asked again once there is a screen
    }
    const QSize size = screen->size();
    decided = size.height() * kFrameWidth > size.width() * kFrameHeight ? 1 : 0;
  }
  return decided == 1;
}
