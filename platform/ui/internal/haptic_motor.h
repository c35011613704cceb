// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the phone's haptic motor, run by feedbackd
// (org.sigxcpu.Feedback on the session bus), the haptics service of Phosh and other Linux
// phones. Nothing here waits for feedbackd: a request goes out and its answer comes back
// through the event loop. When the motor cannot run while the vibrator is on (feedbackd absent,
// failing, too slow to answer, or without a motor), the stand-in is switched on instead.
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QDBusPendingCallWatcher;

class HapticMotor : public QObject {
  Q_OBJECT

 public:
  // `standIn(true)` starts the vibrator's stand-in, `standIn(false)` stops it.
  explicit HapticMotor(std::function<void(bool)> standIn);

  // Asks feedbackd to run the motor until Stop. False when there is no session bus: nothing
  // was asked, and the caller stands in at once.
  bool Start();
  // Ends the motor's run, or the run still being asked for once its answer comes.
  void Stop();

 private slots:
  void FeedbackEnded(uint id, uint reason, const QDBusMessage& signal);

 private:
  void Answered(QDBusPendingCallWatcher* call);
  void End(uint id);
  void StandIn(bool on);

  std::function<void(bool)> standIn_;
  QTimer answerTime_;
  bool subscribed_ = false;
  bool on_ = false;        // the vibrator is on
  bool asking_ = false;    // a request is on its way
  bool running_ = false;   // feedbackd runs the motor for us, as `id_`
  bool standing_ = false;  // the stand-in runs
  uint id_ = 0;
  QString owner_;  // feedbackd's unique bus name, which sends its signals
  // An end that came before the answer that names it.
  bool endedEarly_ = false;
  uint endedEarlyId_ = 0;
  QString endedEarlyOwner_;
};
