// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The registry of live window records, the screen stack, dispatch to a screen's procedure, and
// the count of running modal loops.
#include "platform/ui/internal/windows.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/ui/internal/dead_handles.h"
#include "platform/ui/internal/frame_metrics.h"

namespace {

std::unordered_set<HWND__*>& LiveWindows() {
  static std::unordered_set<HWND__*> windows;
  return windows;
}

std::unordered_map<const QWidget*, HWND__*>& WindowsByWidget() {
  static std::unordered_map<const QWidget*, HWND__*> windows;
  return windows;
}

std::vector<WindowEndListener>& EndListeners() {
  static std::vector<WindowEndListener> listeners;
  return listeners;
}

// Screens whose procedures run now, innermost last.
std::vector<ScreenWindow*>& DispatchingScreens() {
  static std::vector<ScreenWindow*> screens;
  return screens;
}

int modalDepth = 0;
void (*modalLoopHook)() = nullptr;

}  // namespace

HWND__* LiveWindow(HWND window) {
  if (window == nullptr || !LiveWindows().contains(window)) {
    return nullptr;
  }
  return window;
}

HWND__* CalledWindow(HWND window, const char* call) {
  HWND__* live = LiveWindow(window);
  if (live == nullptr && window != nullptr) {
    ReportDeadHandle(call, window);
  }
  return live;
}

ScreenWindow* CalledScreen(HWND window, const char* call) {
  HWND__* live = CalledWindow(window, call);
  return live != nullptr && live->kind == WindowKind::kScreen ? static_cast<ScreenWindow*>(live)
                                                              : nullptr;
}

ScreenWindow* LiveScreen(HWND window) {
  HWND__* live = LiveWindow(window);
  return live != nullptr && live->kind == WindowKind::kScreen ? static_cast<ScreenWindow*>(live)
                                                              : nullptr;
}

ControlWindow* LiveControl(HWND window) {
  HWND__* live = LiveWindow(window);
  return live != nullptr && live->kind == WindowKind::kControl ? static_cast<ControlWindow*>(live)
                                                               : nullptr;
}

ListWindow* LiveList(HWND window) {
  HWND__* live = LiveWindow(window);
  return live != nullptr && live->kind == WindowKind::kList ? static_cast<ListWindow*>(live)
                                                            : nullptr;
}

BarWindow* LiveBar(HWND window) {
  HWND__* live = LiveWindow(window);
  return live != nullptr && live->kind == WindowKind::kBar ? static_cast<BarWindow*>(live)
                                                           : nullptr;
}

void RegisterWindow(HWND__* window) {
  LiveWindows().insert(window);
  if (window->widget != nullptr) {
    WindowsByWidget()[window->widget.data()] = window;
  }
}

int LiveWindowCount() {
  return static_cast<int>(LiveWindows().size());
}

void DestroyWindowRecord(HWND__* window) {
  if (window == nullptr) {
    return;
  }
  for (WindowEndListener listener : EndListeners()) {
    listener(window);
  }
  LiveWindows().erase(window);
  for (auto it = WindowsByWidget().begin(); it != WindowsByWidget().end();) {
    it = it->second == window ? WindowsByWidget().erase(it) : std::next(it);
  }
  delete window;
}

void AddWindowEndListener(WindowEndListener listener) {
  EndListeners().push_back(listener);
}

HWND__* WindowOfWidget(const QWidget* widget) {
  for (const QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
    auto found = WindowsByWidget().find(at);
    if (found != WindowsByWidget().end()) {
      return found->second;
    }
  }
  return nullptr;
}

std::vector<ScreenWindow*>& ScreenStack() {
  static std::vector<ScreenWindow*> stack;
  return stack;
}

ScreenWindow* NewestScreenWindow() {
  return ScreenStack().empty() ? nullptr : ScreenStack().back();
}

INT_PTR DispatchToScreen(ScreenWindow* screen, UINT message, WPARAM wParam, LPARAM lParam) {
  if (screen == nullptr || screen->ended || screen->procedure == nullptr) {
    return FALSE;
  }
  const LONG_PTR outerResult = screen->messageResult;
  screen->messageResult = 0;
  DispatchingScreens().push_back(screen);
  const INT_PTR answer = screen->procedure(screen, message, wParam, lParam);
  DispatchingScreens().pop_back();
  // The screen may have ended (and been freed) inside its own procedure only after its loop
  // returns, so the record is still valid here.
  screen->messageResult = outerResult;
  return answer;
}

ScreenWindow* DispatchingScreen() {
  return DispatchingScreens().empty() ? NewestScreenWindow() : DispatchingScreens().back();
}

HWND__* FocusedWindow() {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->widget == nullptr) {
    return nullptr;
  }
  // The control that last had the focus inside the screen's own window (a widget remembers it
  // for its part of the window).
  QWidget* focus = screen->widget->focusWidget();
  HWND__* window = focus != nullptr ? WindowOfWidget(focus) : nullptr;
  // The screen's own window and the frame around it are not controls.
  if (window == nullptr || window->kind == WindowKind::kScreen) {
    return nullptr;
  }
  return window;
}

SIZE ClientSizeOf(const HWND__* window) {
  QSize size;
  if (window->kind == WindowKind::kScreen) {
    // A scrolling screen's window is as tall as its content; its client area is what shows,
    // beside the scroll bar, as a window's scroll bar is no part of its client area.
    const auto* screen = static_cast<const ScreenWindow*>(window);
    const bool scrolls =
        screen->dialog != nullptr && (screen->dialog->style & kDialogVerticalScroll) != 0;
    size = window->widget->size().boundedTo(
        QSize(scrolls ? kFrameWidth - kScrollBarWidth : kFrameWidth, ClientAreaHeight()));
  } else if (window->kind == WindowKind::kBar) {
    size = QSize(kFrameWidth, kBarHeight);
  } else if (window->widget != nullptr) {
    size = window->widget->size();
  }
  return SIZE{size.width(), size.height()};
}

int ModalDepth() {
  return modalDepth;
}

void EnterModalLoop() {
  ++modalDepth;
  if (modalLoopHook != nullptr) {
    modalLoopHook();
  }
}

void LeaveModalLoop() {
  --modalDepth;
}

void SetModalLoopHook(void (*hook)()) {
  modalLoopHook = hook;
}
