// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A picture of the whole phone frame, as a person sees it.
#include "platform/ui/testing/screen_picture.h"

#include <QPixmap>

#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"

bool SaveScreenPicture(HWND window, const std::string& path) {
  PhoneFrame* frame = FrameOf(LiveWindow(window));
  if (frame == nullptr || path.empty()) {
    return false;
  }
  return frame->grab().save(QString::fromStdString(path), "PNG");
}

bool PaintScreenPicture(HWND window) {
  PhoneFrame* frame = FrameOf(LiveWindow(window));
  return frame != nullptr && !frame->grab().isNull();
}
