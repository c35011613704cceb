// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The vibrator: on a phone, feedbackd runs the haptic motor while it is on. Where the motor
// cannot run (no session bus, no feedbackd, no motor, no answer in time), the newest screen's
// frame shakes its content a few pixels back and forth inside the window instead, and puts it
// back when it is off. The window itself stays where the desktop or the compositor put it.
#include "platform/ui/vibrator.h"

#include <QPointer>
#include <QTimer>

#include "platform/ui/internal/haptic_motor.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"

namespace {

constexpr int kShakeInterval = 40;  // milliseconds between moves
constexpr int kShakeOffset = 3;     // pixels to each side

VibratorService& Service() {
  static VibratorService installed;
  return installed;
}

class FrameShake {
 public:
  void Start() {
    if (timer_ == nullptr) {
      timer_ = new QTimer;
      timer_->setInterval(kShakeInterval);
      QObject::connect(timer_, &QTimer::timeout, [this] { Step(); });
    }
    timer_->start();
  }

  void Stop() {
    if (timer_ != nullptr) {
      timer_->stop();
    }
    PutBack();
  }

 private:
  void Step() {
    ScreenWindow* screen = NewestScreenWindow();
    PhoneFrame* frame = screen != nullptr ? screen->frame.data() : nullptr;
    if (frame != shaken_) {
      PutBack();
      shaken_ = frame;
    }
    if (frame == nullptr || !frame->isVisible()) {
      return;
    }
    left_ = !left_;
    frame->ShiftContent(left_ ? -kShakeOffset : kShakeOffset);
  }

  void PutBack() {
    if (shaken_ != nullptr) {
      shaken_->ShiftContent(0);
    }
    shaken_ = nullptr;
  }

  QTimer* timer_ = nullptr;
  QPointer<PhoneFrame> shaken_;
  bool left_ = false;
};

FrameShake& Shake() {
  static FrameShake frameShake;
  return frameShake;
}

// Lives until the process exits, as the event loop that delivers feedbackd's answers does.
HapticMotor& Motor() {
  static HapticMotor* const haptics = new HapticMotor([](bool on) {
    if (on) {
      Shake().Start();
    } else {
      Shake().Stop();
    }
  });
  return *haptics;
}

}  // namespace

BOOL Vibrate(DWORD /*noteCount*/, const VIBRATENOTE* /*notes*/, BOOL /*repeat*/,
             DWORD /*timeout*/) {
  if (Service()) {
    return Service()(true);
  }
  if (Motor().Start()) {
    return TRUE;
  }
  if (NewestScreenWindow() == nullptr) {
    return FALSE;
  }
  Shake().Start();
  return TRUE;
}

BOOL VibrateStop() {
  if (Service()) {
    return Service()(false);
  }
  Motor().Stop();
  Shake().Stop();
  return TRUE;
}

void SetVibratorService(VibratorService replacement) {
  Service() = std::move(replacement);
}
