// Modal screens: a screen is made from its template, its procedure gets WM_INITDIALOG, and
// unless it ended there the screen is shown over the newest screen and runs its own event loop
// until EndDialog. The window calls that screen procedures make live here too.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"

void InstallKeyRouter();
void ForgetHotKeysOf(HWND window);

namespace {

QFont templateFont(const DialogTemplate& dialog) {
  if (dialog.fontFace == nullptr) {
    return ScreenFont();
  }
  return FontFromPoints(QString::fromUtf16(dialog.fontFace), dialog.fontPointSize);
}

ScreenWindow* makeScreen(HINSTANCE instance, const DialogTemplate& dialog, DLGPROC procedure) {
  auto* screen = new ScreenWindow;
  screen->dialog = &dialog;
  screen->procedure = procedure;
  screen->instance = instance;
  auto* frame = new PhoneFrame(screen, ToQString(dialog.caption));
  screen->frame = frame;
  screen->widget = frame->Client();
  frame->Client()->resize(std::min(dialog.width, kFrameWidth),
                          std::min(dialog.height, kClientHeight));
  RegisterWindow(screen);
  const QFont font = templateFont(dialog);
  frame->Client()->setFont(font);
  for (const ControlTemplate& control : dialog.controls) {
    ControlWindow* made = CreateTemplateControl(screen, control, font);
    if (made != nullptr) {
      screen->children.push_back(made);
    }
  }
  frame->UpdateContentHeight();
  return screen;
}

HWND firstTabStop(ScreenWindow* screen) {
  for (HWND__* child : screen->children) {
    if (TakesTabStop(child)) {
      return child;
    }
  }
  return nullptr;
}

void bringToFront(QWidget* frame) {
  // Headless platforms stack nothing.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    frame->raise();
  }
  frame->activateWindow();
}

void showOver(ScreenWindow* screen, ScreenWindow* previous) {
  PhoneFrame* frame = screen->frame;
  if (previous != nullptr && previous->frame != nullptr) {
    frame->move(previous->frame->pos());
  }
  if (screen->dialog->style & kDialogSetForeground) {
    frame->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  }
  frame->show();
  bringToFront(frame);
  if (previous != nullptr && previous->frame != nullptr) {
    previous->frame->hide();
  }
}

void destroyScreen(ScreenWindow* screen) {
  for (auto& [id, timer] : screen->timers) {
    timer->stop();
    timer->deleteLater();
  }
  screen->timers.clear();
  ForgetHotKeysOf(screen);
  PhoneFrame* frame = screen->frame;
  for (HWND__* child : screen->children) {
    DestroyWindowRecord(child);
  }
  DestroyWindowRecord(screen->bar);
  DestroyWindowRecord(screen);
  if (frame != nullptr) {
    frame->hide();
    frame->deleteLater();
  }
}

// The opener comes back where the ended screen stood, with the focus it had.
void returnTo(ScreenWindow* opener, const QPoint& where) {
  PhoneFrame* frame = opener->frame;
  if (frame == nullptr) {
    return;
  }
  frame->move(where);
  frame->show();
  bringToFront(frame);
  if (QWidget* focus = frame->focusWidget()) {
    focus->setFocus(Qt::ActiveWindowFocusReason);
  }
  DispatchToScreen(opener, WM_ACTIVATE, WA_ACTIVE, 0);
}

}  // namespace

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const DLGTEMPLATE* dialog, HWND /*owner*/,
                                DLGPROC procedure, LPARAM initParam) {
  if (dialog == nullptr || procedure == nullptr || QApplication::instance() == nullptr) {
    return -1;
  }
  InstallKeyRouter();
  ScreenWindow* previous = NewestScreenWindow();
  ScreenWindow* screen = makeScreen(instance, *dialog, procedure);
  ScreenStack().push_back(screen);

  HWND first = firstTabStop(screen);
  const INT_PTR focusFirst =
      DispatchToScreen(screen, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam);
  if (!screen->ended) {
    DispatchToScreen(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(screen));
    screen->frame->UpdateContentHeight();
    showOver(screen, previous);
    if (focusFirst != FALSE && first != nullptr && LiveWindow(first) != nullptr) {
      SetFocus(first);
    }
    DispatchToScreen(screen, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
  }
  if (!screen->ended) {
    QEventLoop loop;
    screen->loop = &loop;
    EnterModalLoop();
    loop.exec();
    LeaveModalLoop();
    screen->loop = nullptr;
  }

  const INT_PTR code = screen->endCode;
  const QPoint where = screen->frame != nullptr ? screen->frame->pos() : QPoint();
  const bool wasShown = screen->frame != nullptr && screen->frame->isVisible();
  ScreenStack().erase(std::find(ScreenStack().begin(), ScreenStack().end(), screen));
  destroyScreen(screen);
  // An opener that ended meanwhile is about to close: it does not come back first.
  if (wasShown && previous != nullptr && LiveScreen(previous) != nullptr && !previous->ended) {
    returnTo(previous, where);
  }
  return code;
}

BOOL EndDialog(HWND window, INT_PTR code) {
  ScreenWindow* screen = LiveScreen(window);
  if (screen == nullptr) {
    return FALSE;
  }
  // A screen ended twice before it closes returns the later code, as the phone's does.
  screen->endCode = code;
  if (screen->ended) {
    return TRUE;
  }
  screen->ended = true;
  if (screen->frame != nullptr && screen->frame->Popup()->IsOpen()) {
    screen->frame->Popup()->hide();
  }
  if (screen->loop != nullptr) {
    screen->loop->exit(0);
  }
  return TRUE;
}

HWND GetDlgItem(HWND window, int controlId) {
  ScreenWindow* screen = LiveScreen(window);
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
  HWND__* live = LiveWindow(window);
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
  HWND__* live = LiveWindow(window);
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
  HWND__* live = LiveWindow(window);
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
  HWND__* live = LiveWindow(window);
  if (live == nullptr || rect == nullptr) {
    return FALSE;
  }
  QSize size;
  if (live->kind == WindowKind::kScreen) {
    // A scrolling screen's window is as tall as its content; its client area is what shows,
    // beside the scroll bar, as a window's scroll bar is no part of its client area.
    const auto* screen = static_cast<const ScreenWindow*>(live);
    const bool scrolls =
        screen->dialog != nullptr && (screen->dialog->style & kDialogVerticalScroll) != 0;
    size = live->widget->size().boundedTo(
        QSize(scrolls ? kFrameWidth - kScrollBarWidth : kFrameWidth, kClientHeight));
  } else if (live->kind == WindowKind::kBar) {
    size = QSize(kFrameWidth, kBarHeight);
  } else if (live->widget != nullptr) {
    size = live->widget->size();
  }
  *rect = RECT{0, 0, size.width(), size.height()};
  return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* live = LiveWindow(window);
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
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr) {
    return nullptr;
  }
  QWidget* focus = screen->frame->focusWidget();
  HWND__* window = focus != nullptr ? WindowOfWidget(focus) : nullptr;
  // The screen's own window and the frame around it are not controls.
  if (window == nullptr || window->kind == WindowKind::kScreen) {
    return nullptr;
  }
  return window;
}

HWND SetFocus(HWND window) {
  HWND previous = GetFocus();
  if (window == nullptr) {
    if (ScreenWindow* screen = NewestScreenWindow(); screen != nullptr && screen->frame) {
      if (QWidget* focus = screen->frame->focusWidget()) {
        focus->clearFocus();
      }
      screen->frame->setFocus(Qt::OtherFocusReason);
    }
    return previous;
  }
  HWND__* live = LiveWindow(window);
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
  ScreenWindow* screen = LiveScreen(window);
  if (screen == nullptr || index != DWL_MSGRESULT) {
    return 0;
  }
  const LONG_PTR previous = screen->messageResult;
  screen->messageResult = value;
  return previous;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
  ScreenWindow* screen = LiveScreen(window);
  if (screen == nullptr) {
    return 0;
  }
  QTimer*& timer = screen->timers[id];
  if (timer == nullptr) {
    timer = new QTimer;
  }
  timer->disconnect();
  timer->setInterval(static_cast<int>(std::max<UINT>(elapse, 1)));
  QObject::connect(timer, &QTimer::timeout, [screen, id, procedure] {
    if (LiveScreen(screen) == nullptr || screen->ended) {
      return;
    }
    if (procedure != nullptr) {
      procedure(screen, WM_TIMER, id, 0);
    } else {
      DispatchToScreen(screen, WM_TIMER, id, 0);
    }
  });
  timer->start();
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  ScreenWindow* screen = LiveScreen(window);
  if (screen == nullptr) {
    return FALSE;
  }
  auto found = screen->timers.find(id);
  if (found == screen->timers.end()) {
    return FALSE;
  }
  found->second->stop();
  found->second->deleteLater();
  screen->timers.erase(found);
  return TRUE;
}
