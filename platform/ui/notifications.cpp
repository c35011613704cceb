// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Notifications through the desktop's notification service, over the session bus. Posting never
// waits: a notification with keys first asks the service whether it offers actions (300 ms at
// most), then posts; the answers come back in the event loop. A notification whose sink window
// ends, or that is removed, is closed, once the service has given its number.
#include "platform/ui/notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ui/internal/notifications.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/messages.h"
#include "platform/ui/window_calls.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// As long as the service may take before a notification is taken as not shown.
constexpr int kAnswerLimit = 300;  // milliseconds
constexpr unsigned char kNormalUrgency = 1;
constexpr unsigned char kCriticalUrgency = 2;

std::mutex serviceMutex;
NotificationService service;

struct Posted {
  DWORD id = 0;
  HWND__* sink = nullptr;
  DWORD commands[2] = {0, 0};
  unsigned serverId = 0;  // 0 until the service answers
  QPointer<QDBusPendingCallWatcher> answer;
  bool withdrawn = false;
};

std::vector<std::shared_ptr<Posted>>& PostedNotifications() {
  static std::vector<std::shared_ptr<Posted>> posted;
  return posted;
}

QString Text(LPCWSTR text) {
  return text != nullptr ? QString::fromUtf16(text) : QString();
}

QDBusMessage Call(const QString& method) {
  return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

void Close(unsigned serverId) {
  QDBusConnection::sessionBus().call(Call(QStringLiteral("CloseNotification")) << serverId,
                                     QDBus::Block, kAnswerLimit);
}

void Forget(const std::shared_ptr<Posted>& gone) {
  auto& posted = PostedNotifications();
  posted.erase(std::remove(posted.begin(), posted.end(), gone), posted.end());
}

std::shared_ptr<Posted> FindShown(unsigned serverId) {
  for (const auto& posted : PostedNotifications()) {
    if (posted->serverId == serverId && serverId != 0 && !posted->withdrawn) {
      return posted;
    }
  }
  return nullptr;
}

void WithdrawFor(HWND__* window);

void ListenToService(QDBusConnection& bus) {
  static NotificationSignals* listener = nullptr;
  if (listener != nullptr) {
    return;
  }
  listener = new NotificationSignals;
  bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), listener,
              SLOT(actionInvoked(uint, QString)));
  bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), listener,
              SLOT(notificationClosed(uint, uint)));
  AddWindowEndListener(WithdrawFor);
}

QDBusMessage NotifyMessage(const SHNOTIFICATIONDATA& data) {
  QStringList actions;
  for (int i = 0; i < 2; ++i) {
    if (data.rgskn[i].pszTitle != nullptr) {
      actions << QString::number(i) << Text(data.rgskn[i].pszTitle);
    }
  }
  QVariantMap hints;
  hints.insert(QStringLiteral("urgency"),
               QVariant::fromValue<uchar>((data.grfFlags & SHNF_CRITICAL) != 0 ? kCriticalUrgency
                                                                               : kNormalUrgency));
  if (data.pszCategory != nullptr) {
    hints.insert(QStringLiteral("category"), Text(data.pszCategory));
  }
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("pelorin"));
  QDBusMessage message = Call(QStringLiteral("Notify"));
  message << QStringLiteral("Pelorin") << 0u << QStringLiteral("pelorin") << Text(data.pszTitle)
          << Text(data.pszHTML) << actions << hints << 0;  // 0: until closed
  return message;
}

// Posts once the service said it offers actions (when the notification has keys).
void Post(QDBusConnection bus, const std::shared_ptr<Posted>& posted, const QDBusMessage& notify) {
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify));
  posted->answer = watcher;
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [posted](auto* finished) {
    finished->deleteLater();
    posted->answer = nullptr;
    const QDBusPendingReply<unsigned> reply = *finished;
    if (reply.isError()) {
      Forget(posted);
    } else if (posted->withdrawn) {
      Close(reply.value());
      Forget(posted);
    } else {
      posted->serverId = reply.value();
    }
  });
}

// Waits, at most kAnswerLimit, for the service's answer to a notification being withdrawn, so
// that it is not left behind on the screen of a program that ends.
void AwaitAnswer(const std::shared_ptr<Posted>& posted) {
  if (posted->answer == nullptr || posted->answer->isFinished()) {
    return;
  }
  QEventLoop loop;
  QObject::connect(posted->answer, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit,
                   Qt::QueuedConnection);
  QTimer::singleShot(kAnswerLimit, &loop, &QEventLoop::quit);
  loop.exec();
}

LRESULT Withdraw(const std::shared_ptr<Posted>& posted) {
  posted->withdrawn = true;
  AwaitAnswer(posted);
  if (posted->serverId != 0) {
    Close(posted->serverId);
    Forget(posted);
  } else if (posted->answer == nullptr) {
    Forget(posted);  // never posted, or answered with an error
  }
  return S_OK;
}

void WithdrawFor(HWND__* window) {
  const auto posted = PostedNotifications();
  for (const auto& notification : posted) {
    if (notification->sink == window && !notification->withdrawn) {
      Withdraw(notification);
    }
  }
}

}  // namespace

void NotificationSignals::actionInvoked(uint serverId, const QString& key) {
  const std::shared_ptr<Posted> chosen = FindShown(serverId);
  if (chosen == nullptr) {
    return;
  }
  const DWORD command = chosen->commands[key == QLatin1String("1") ? 1 : 0];
  if (LiveWindow(chosen->sink) != nullptr && command != 0) {
    SendMessageW(chosen->sink, WM_COMMAND, command, 0);
  }
}

void NotificationSignals::notificationClosed(uint serverId, uint /*reason*/) {
  if (const std::shared_ptr<Posted> gone = FindShown(serverId); gone != nullptr) {
    Forget(gone);
  }
}

void SetNotificationService(NotificationService replacement) {
  std::lock_guard lock(serviceMutex);
  service = std::move(replacement);
}

LRESULT SHNotificationAdd(const SHNOTIFICATIONDATA* data) {
  if (data == nullptr) {
    return E_FAIL;
  }
  {
    std::lock_guard lock(serviceMutex);
    if (service) {
      service(*data, false);
      return S_OK;
    }
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return E_FAIL;
  }
  ListenToService(bus);
  auto posted = std::make_shared<Posted>();
  posted->id = data->dwID;
  posted->sink = data->hwndSink;
  posted->commands[0] = data->rgskn[0].skc;
  posted->commands[1] = data->rgskn[1].skc;
  PostedNotifications().push_back(posted);
  const QDBusMessage notify = NotifyMessage(*data);
  if (data->rgskn[0].pszTitle == nullptr && data->rgskn[1].pszTitle == nullptr) {
    // Nothing comes back for it: it is handed over before the caller goes on, which may be to
    // end the program.
    bus.call(notify, QDBus::Block, kAnswerLimit);
    Forget(posted);
    return S_OK;
  }
  auto* capabilities = new QDBusPendingCallWatcher(
      bus.asyncCall(Call(QStringLiteral("GetCapabilities")), kAnswerLimit));
  posted->answer = capabilities;
  QObject::connect(capabilities, &QDBusPendingCallWatcher::finished,
                   [bus, posted, notify](auto* finished) {
                     finished->deleteLater();
                     const QDBusPendingReply<QStringList> reply = *finished;
                     posted->answer = nullptr;
                     if (posted->withdrawn || reply.isError() ||
                         !reply.value().contains(QStringLiteral("actions"))) {
                       Forget(posted);
                       return;
                     }
                     Post(bus, posted, notify);
                   });
  return S_OK;
}

LRESULT SHNotificationRemove(DWORD id) {
  {
    std::lock_guard lock(serviceMutex);
    if (service) {
      SHNOTIFICATIONDATA removed{};
      removed.dwID = id;
      service(removed, true);
      return S_OK;
    }
  }
  const auto posted = PostedNotifications();
  for (const auto& notification : posted) {
    if (notification->id == id && !notification->withdrawn) {
      return Withdraw(notification);
    }
  }
  return E_FAIL;
}
