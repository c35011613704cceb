// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A desktop screen saver as far as the session bus shows one: it owns
// org.freedesktop.ScreenSaver, answers Inhibit with a cookie and, as real ones do, drops an
// inhibit when the process that asked for it leaves the bus. Every event is one line in the
// log file named by its argument:
//   ready
//   inhibit <caller's bus name> <application>|<reason> <cookie>
//   uninhibit <caller's bus name> <cookie>
//   released <caller's bus name>        (the caller left the bus while it held an inhibit)
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QObject>
#include <QSet>
#include <QTextStream>

class ScreenSaver : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  explicit ScreenSaver(const QString& logPath) : log_(logPath) {
    log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    watcher_.setConnection(QDBusConnection::sessionBus());
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& name) {
              if (holders_.remove(name)) {
                Write("released " + name);
              }
              watcher_.removeWatchedService(name);
            });
  }

  void Write(const QString& line) {
    QTextStream(&log_) << line << '\n';
    log_.flush();
  }

 public slots:
  uint Inhibit(const QString& application, const QString& reason) {
    const QString caller = message().service();
    const uint cookie = ++lastCookie_;
    holders_.insert(caller);
    watcher_.addWatchedService(caller);
    Write(QString("inhibit %1 %2|%3 %4").arg(caller, application, reason).arg(cookie));
    return cookie;
  }

  void UnInhibit(uint cookie) {
    holders_.remove(message().service());
    Write(QString("uninhibit %1 %2").arg(message().service()).arg(cookie));
  }

 private:
  QFile log_;
  QDBusServiceWatcher watcher_;
  QSet<QString> holders_;
  uint lastCookie_ = 40;
};

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 2) {
    return 2;
  }
  ScreenSaver screenSaver(QString::fromLocal8Bit(argv[1]));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/org/freedesktop/ScreenSaver", &screenSaver,
                          QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.freedesktop.ScreenSaver")) {
    return 1;
  }
  screenSaver.Write("ready");
  return application.exec();
}

#include "fake_screen_saver.moc"
