// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The shell's notifications, as the phone's SHNotificationAdd gives them: a title, a text and up
// to two soft keys, shown over whatever the screen shows, a locked screen included. Here they go
// to the desktop's notification service (org.freedesktop.Notifications on the session bus),
// which Phosh, GNOME and KDE also show on their lock screens. Nothing here waits for the
// service before the caller goes on: a missing, keyless or silent service shows nothing.
#include <functional>
#include <string>

#include "platform/ui/window_types.h"

// Urgent: shown at once, over a locked screen, and woken for.
inline constexpr DWORD SHNF_CRITICAL = 0x00000002;

struct SOFTKEYNOTIFY {
  LPCWSTR pszTitle;  // the key's caption; nullptr for no key
  DWORD skc;         // the command the sink gets when the key is chosen
};

struct SHNOTIFICATIONDATA {
  DWORD dwID;  // the program's own number for it, for SHNotificationRemove
  DWORD grfFlags;
  LPCWSTR pszTitle;
  LPCWSTR pszHTML;      // the text, shown as plain text
  LPCWSTR pszCategory;  // the kind of event, as the desktop names them ("call.incoming")
  HWND hwndSink;        // gets WM_COMMAND with a key's command; its end withdraws the notification
  SOFTKEYNOTIFY rgskn[2];
};

// Posts the notification; it stays until removed or dismissed. A notification with soft keys is
// shown only by a service that offers actions. S_OK once it is on its way, E_FAIL without a
// session bus.
LRESULT SHNotificationAdd(const SHNOTIFICATIONDATA* data);
// Withdraws notification `id` (waiting at most 300 ms for the service); S_OK when it was posted.
LRESULT SHNotificationRemove(DWORD id);

inline constexpr LRESULT S_OK = 0;
inline constexpr LRESULT E_FAIL = static_cast<LRESULT>(0x80004005L);

// Tests put a recorder in the place of the service: it gets each notification posted and each
// removal (`removed` with only dwID set). An empty function restores the service.
using NotificationService = std::function<void(const SHNOTIFICATIONDATA& data, bool removed)>;
void SetNotificationService(NotificationService service);
