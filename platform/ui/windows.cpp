// The registry of live window records, the screen stack and message dispatch.
#include "platform/ui/internal/windows.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/phone_frame.h"

namespace {

std::unordered_set<HWND__*>& liveWindows() {
  static std::unordered_set<HWND__*> windows;
  return windows;
}

std::unordered_map<const QWidget*, HWND__*>& windowsByWidget() {
  static std::unordered_map<const QWidget*, HWND__*> windows;
  return windows;
}

int modalDepth = 0;
void (*modalLoopHook)() = nullptr;

}  // namespace

HWND__* LiveWindow(HWND window) {
  if (window == nullptr || !liveWindows().contains(window)) {
    return nullptr;
  }
  return window;
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
  liveWindows().insert(window);
  if (window->widget != nullptr) {
    windowsByWidget()[window->widget.data()] = window;
  }
}

void DestroyWindowRecord(HWND__* window) {
  if (window == nullptr) {
    return;
  }
  liveWindows().erase(window);
  for (auto it = windowsByWidget().begin(); it != windowsByWidget().end();) {
    it = it->second == window ? windowsByWidget().erase(it) : std::next(it);
  }
  if (window->ownDc != nullptr) {
    FreeWindowDc(window->ownDc);
  }
  delete window;
}

HWND__* WindowOfWidget(const QWidget* widget) {
  for (const QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
    auto found = windowsByWidget().find(at);
    if (found != windowsByWidget().end()) {
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
  const INT_PTR answer = screen->procedure(screen, message, wParam, lParam);
  // The screen may have ended (and been freed) inside its own procedure only after its loop
  // returns, so the record is still valid here.
  screen->messageResult = outerResult;
  return answer;
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

void SetModalLoopHook(void (*hook)()) {
  modalLoopHook = hook;
}

void LeaveModalLoop() {
  --modalDepth;
}

PhoneFrame* FrameOf(HWND__* window) {
  if (window == nullptr || window->screen == nullptr) {
    return nullptr;
  }
  return window->screen->frame.data();
}
