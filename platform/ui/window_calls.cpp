// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window calls a screen procedure makes, and SendMessageW, which hands each message to the
// kind of window it is sent to.
#include "platform/ui/window_calls.h"

#include <QTimer>
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/list_view.h"
#include "platform/ui/internal/menu_bar.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/text.h"
#include "platform/ui/internal/windows.h"

HWND GetDlgItem(HWND window, int controlId) {
  ScreenWindow* screen = CalledScreen(window, "GetDlgItem");
  if (screen == nullptr) {
    return nullptr;
  }
  for (HWND__* child : screen->children) {
    if (child->id == controlId) {
      return child;
    }
  }
  return nullptr;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  HWND__* live = CalledWindow(window, "SetWindowTextW");
  if (live == nullptr) {
    return FALSE;
  }
  const std::u16string value = text != nullptr ? std::u16string(text) : std::u16string();
  switch (live->kind) {
    case WindowKind::kScreen:
      if (PhoneFrame* frame = FrameOf(live)) {
        frame->SetCaption(ToQString(value));
      }
      return TRUE;
    case WindowKind::kControl:
      SetControlText(static_cast<ControlWindow*>(live), value);
      return TRUE;
    case WindowKind::kList:
      static_cast<ListWindow*>(live)->text = value;
      return TRUE;
    case WindowKind::kBar:
      return FALSE;
  }
  return FALSE;
}

int GetWindowTextW(HWND window, LPWSTR buffer, int capacity) {
  HWND__* live = CalledWindow(window, "GetWindowTextW");
  if (buffer == nullptr || capacity <= 0) {
    return 0;
  }
  buffer[0] = u'\0';
  if (live == nullptr) {
    return 0;
  }
  std::u16string text;
  switch (live->kind) {
    case WindowKind::kScreen:
      if (PhoneFrame* frame = FrameOf(live)) {
        text = frame->Caption().toStdU16String();
      }
      break;
    case WindowKind::kControl:
      text = ControlText(static_cast<ControlWindow*>(live));
      break;
    case WindowKind::kList:
      text = static_cast<ListWindow*>(live)->text;
      break;
    case WindowKind::kBar:
      break;
  }
  const int count = static_cast<int>(std::min<std::size_t>(text.size(), capacity - 1));
  std::copy_n(text.begin(), count, buffer);
  buffer[count] = u'\0';
  return count;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  HWND__* live = CalledWindow(window, "MoveWindow");
  if (live == nullptr || live->widget == nullptr || live->kind == WindowKind::kBar) {
    return FALSE;
  }
  live->widget->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
  if (PhoneFrame* frame = FrameOf(live); frame != nullptr && live->kind != WindowKind::kScreen) {
    frame->UpdateContentHeight();
  }
  if (repaint) {
    live->widget->update();
  }
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  HWND__* live = CalledWindow(window, "GetClientRect");
  if (live == nullptr || rect == nullptr) {
    return FALSE;
  }
  const SIZE size = ClientSizeOf(live);
  *rect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* live = CalledWindow(window, "SendMessageW");
  if (live == nullptr) {
    return 0;
  }
  switch (live->kind) {
    case WindowKind::kScreen: {
      LRESULT result = 0;
      if (message == WM_SETFONT || message == WM_SETREDRAW) {
        CommonWindowMessage(live, message, wParam, lParam, &result);
        return result;
      }
      return DispatchToScreen(static_cast<ScreenWindow*>(live), message, wParam, lParam);
    }
    case WindowKind::kControl:
      return ControlMessage(static_cast<ControlWindow*>(live), message, wParam, lParam);
    case WindowKind::kList:
      return ListMessage(static_cast<ListWindow*>(live), message, wParam, lParam);
    case WindowKind::kBar:
      return BarMessage(static_cast<BarWindow*>(live), message, wParam, lParam);
  }
  return 0;
}

HWND GetFocus() {
  return FocusedWindow();
}

HWND SetFocus(HWND window) {
  HWND previous = FocusedWindow();
  if (window == nullptr) {
    if (ScreenWindow* screen = NewestScreenWindow(); screen != nullptr && screen->frame) {
      if (QWidget* focus = screen->frame->focusWidget()) {
        focus->clearFocus();
      }
      screen->frame->setFocus(Qt::OtherFocusReason);
    }
    return previous;
  }
  HWND__* live = CalledWindow(window, "SetFocus");
  if (live == nullptr || live->widget == nullptr) {
    return previous;
  }
  live->widget->setFocus(Qt::OtherFocusReason);
  if (PhoneFrame* frame = FrameOf(live); frame != nullptr && live->kind != WindowKind::kScreen) {
    frame->EnsureVisible(live->widget);
  }
  return previous;
}

LONG_PTR SetWindowLongW(HWND window, int index, LONG_PTR value) {
  ScreenWindow* screen = CalledScreen(window, "SetWindowLongW");
  if (screen == nullptr || index != DWL_MSGRESULT) {
    return 0;
  }
  const LONG_PTR previous = screen->messageResult;
  screen->messageResult = value;
  return previous;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
  ScreenWindow* screen = CalledScreen(window, "SetTimer");
  if (screen == nullptr || procedure != nullptr) {
    return 0;
  }
  QTimer*& timer = screen->timers[id];
  if (timer == nullptr) {
    timer = new QTimer;
  }
  timer->disconnect();
  timer->setInterval(static_cast<int>(std::max<UINT>(elapse, 1)));
  QObject::connect(timer, &QTimer::timeout, [screen, id] {
    if (LiveScreen(screen) != nullptr && !screen->ended) {
      DispatchToScreen(screen, WM_TIMER, id, 0);
    }
  });
  timer->start();
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  ScreenWindow* screen = CalledScreen(window, "KillTimer");
  if (screen == nullptr) {
    return FALSE;
  }
  const auto found = screen->timers.find(id);
  if (found == screen->timers.end()) {
    return FALSE;
  }
  found->second->stop();  // deleted with the screen's other timers
  return TRUE;
}
