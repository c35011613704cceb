// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the receiver of the notification service's signals, which Qt's
// D-Bus module hands to slots only.
#include <QObject>
#include <QString>

class NotificationSignals : public QObject {
  Q_OBJECT
 public slots:
  // A key of notification `serverId` was chosen: its sink gets the key's command.
  void actionInvoked(uint serverId, const QString& key);
  // The person dismissed it: it is not closed again.
  void notificationClosed(uint serverId, uint reason);
};
