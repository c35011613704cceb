// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// feedbackd as far as the session bus shows it: it owns org.sigxcpu.Feedback, answers
// TriggerFeedback with a new event id and ends an event on EndFeedback, announcing the end
// with FeedbackEnded as the real one does. It runs no motor. Arguments: the log file, and
// optionally how many milliseconds it takes to answer. Each event is one line of the log,
// followed by " @<milliseconds since the epoch>":
//   ready
//   trigger <application> <event> <hint>=<value>... <timeout> <id>
//   end <id>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <QVariantMap>

class Feedback : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.sigxcpu.Feedback")

 public:
  Feedback(const QString& logPath, int answerDelay) : log_(logPath), answerDelay_(answerDelay) {
    log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
  }

  void Write(const QString& line) {
    QTextStream(&log_) << line << " @" << QDateTime::currentMSecsSinceEpoch() << '\n';
    log_.flush();
  }

 public slots:
  uint TriggerFeedback(const QString& application, const QString& event, const QVariantMap& hints,
                       int timeout) {
    QStringList hintTexts;
    for (auto hint = hints.begin(); hint != hints.end(); ++hint) {
      hintTexts << hint.key() + "=" + hint.value().toString();
    }
    const uint id = ++lastId_;
    Write(QString("trigger %1 %2 %3 %4 %5")
              .arg(application, event, hintTexts.join(' '))
              .arg(timeout)
              .arg(id));
    if (answerDelay_ > 0) {
      setDelayedReply(true);
      QTimer::singleShot(answerDelay_, this, [answer = message().createReply(id)] {
        QDBusConnection::sessionBus().send(answer);
      });
    }
    return id;
  }

  void EndFeedback(uint id) {
    Write(QString("end %1").arg(id));
    QDBusMessage ended = QDBusMessage::createSignal("/org/sigxcpu/Feedback", "org.sigxcpu.Feedback",
                                                    "FeedbackEnded");
    ended << id << 2u;  // ended explicitly
    connection().send(ended);
  }

 private:
  QFile log_;
  int answerDelay_;
  uint lastId_ = 0;
};

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 2 && argc != 3) {
    return 2;
  }
  Feedback feedback(QString::fromLocal8Bit(argv[1]), argc == 3 ? atoi(argv[2]) : 0);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/org/sigxcpu/Feedback", &feedback, QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.sigxcpu.Feedback")) {
    return 1;
  }
  feedback.Write("ready");
  return application.exec();
}

#include "fake_feedbackd.moc"
