// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The vibrator on a phone: feedbackd runs the haptic motor for the event of an incoming call.
// The sound is Pelorin's own, so the request is capped at feedbackd's "quiet" profile, which
// gives haptic feedback and never a sound. The run is endless and ended explicitly; feedbackd
// also ends it when this process leaves the bus, so a crash never leaves the motor running.
#include "platform/ui/internal/haptic_motor.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.sigxcpu.Feedback");
const QString kPath = QStringLiteral("/org/sigxcpu/Feedback");
const QString kInterface = QStringLiteral("org.sigxcpu.Feedback");
// The desktop entry's name, under which a phone's settings list the program.
const QString kApplication = QStringLiteral("pelorin");
const QString kEvent = QStringLiteral("phone-incoming-call");
const QString kHapticsOnly = QStringLiteral("quiet");
constexpr int kEndless = 0;  // feedbackd's timeout: run until ended
// The shake stands in when feedbackd has not answered by then; the cadence's first second is
// not spent waiting.
constexpr int kAnswerTime = 300;  // milliseconds
// A late answer is still taken, so that the run it names can be ended.
constexpr int kAnswerLimit = 25000;  // milliseconds

QDBusMessage FeedbackCall(const QString& method) {
  return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

HapticMotor::HapticMotor(std::function<void(bool)> standIn) : standIn_(std::move(standIn)) {
  answerTime_.setSingleShot(true);
  answerTime_.setInterval(kAnswerTime);
  connect(&answerTime_, &QTimer::timeout, this, [this] {
    if (on_ && !running_) {
      StandIn(true);
    }
  });
}

bool HapticMotor::Start() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return false;
  }
  on_ = true;
  if (running_) {
    return true;
  }
  if (asking_) {
    // An earlier request is still unanswered: past its time, the shake stands in now.
    if (!answerTime_.isActive()) {
      StandIn(true);
    }
    return true;
  }
  if (!subscribed_) {
    // Any sender: the end is matched to feedbackd's answer by its unique name, and naming the
    // service here would make Qt ask the bus for its owner and wait.
    subscribed_ = bus.connect(QString(), kPath, kInterface, QStringLiteral("FeedbackEnded"), this,
                              SLOT(FeedbackEnded(uint, uint, QDBusMessage)));
  }
  QDBusMessage request = FeedbackCall(QStringLiteral("TriggerFeedback"));
  request << kApplication << kEvent
          << QVariantMap{{QStringLiteral("profile"), QVariant(kHapticsOnly)}}
          << static_cast<int>(kEndless);
  auto* call = new QDBusPendingCallWatcher(bus.asyncCall(request, kAnswerLimit), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, &HapticMotor::Answered);
  asking_ = true;
  endedEarly_ = false;
  answerTime_.start();
  return true;
}

void HapticMotor::Stop() {
  on_ = false;
  answerTime_.stop();
  if (running_) {
    End(id_);
    running_ = false;
  }
  StandIn(false);
}

void HapticMotor::Answered(QDBusPendingCallWatcher* call) {
  call->deleteLater();
  asking_ = false;
  answerTime_.stop();
  const QDBusPendingReply<uint> reply = *call;
  if (reply.isError()) {
    if (on_) {
      StandIn(true);
    }
    return;
  }
  const uint id = reply.value();
  const QString owner = reply.reply().service();
  if (!on_) {
    End(id);  // the vibrator went off while feedbackd was answering
    return;
  }
  if (endedEarly_ && endedEarlyId_ == id && endedEarlyOwner_ == owner) {
    StandIn(true);  // it ended before it was answered: there is nothing to run it
    return;
  }
  running_ = true;
  id_ = id;
  owner_ = owner;
  StandIn(false);  // the motor runs: a shake that stood in for a late answer ends
}

// feedbackd ends a run at once when it has nothing to run it with (no motor, or a profile
// that allows no vibration), and when a run of the theme's ends by itself.
void HapticMotor::FeedbackEnded(uint id, uint /*reason*/, const QDBusMessage& signal) {
  if (running_ && id == id_ && signal.service() == owner_) {
    running_ = false;
    if (on_) {
      StandIn(true);
    }
  } else if (asking_) {
    endedEarly_ = true;
    endedEarlyId_ = id;
    endedEarlyOwner_ = signal.service();
  }
}

// Not waited for: a feedbackd gone meanwhile has ended the run itself.
void HapticMotor::End(uint id) {
  QDBusMessage request = FeedbackCall(QStringLiteral("EndFeedback"));
  request << id;
  QDBusConnection::sessionBus().send(request);
}

void HapticMotor::StandIn(bool on) {
  if (on != standing_) {
    standing_ = on;
    standIn_(on);
  }
}
