// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The phone's keys on a desktop keyboard. Every key event for a screen's frame passes here
// first, whether it comes from a keyboard, from xdotool or from the screen driver: registered
// hot keys, the open soft-key popup, the bar's key overrides, then the keys' own meanings
// (F1 and F2 the soft keys, Enter the action key, Escape Back, Up and Down move the focus).
#include "platform/ui/internal/key_router.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

#include "platform/ui/hot_keys.h"
#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/key_codes.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/keys.h"
#include "platform/ui/messages.h"
#include "platform/ui/window_calls.h"

namespace {

struct HotKey {
  HWND window;
  int id;
  UINT modifiers;
  UINT virtualKey;
};

std::vector<HotKey>& HotKeys() {
  static std::vector<HotKey> keys;
  return keys;
}

const HotKey* FindHotKey(UINT virtualKey, UINT modifiers) {
  for (const HotKey& key : HotKeys()) {
    if (key.virtualKey == virtualKey && (key.modifiers & ~MOD_KEYUP) == modifiers) {
      return &key;
    }
  }
  return nullptr;
}

void DeliverHotKey(HotKey key, UINT modifiers) {
  // The procedure may unregister the key while handling it: `key` is a copy.
  DispatchToScreen(LiveScreen(key.window), WM_HOTKEY, static_cast<WPARAM>(key.id),
                   MAKELPARAM(static_cast<WORD>(modifiers), static_cast<WORD>(key.virtualKey)));
}

// The screen whose frame holds `widget`, or nullptr (the window itself, a message box, a
// calendar's popup).
ScreenWindow* ScreenShowing(const QWidget* widget) {
  for (; widget != nullptr && !widget->isWindow(); widget = widget->parentWidget()) {
    for (ScreenWindow* screen : ScreenStack()) {
      if (screen->frame == widget) {
        return screen;
      }
    }
  }
  return nullptr;
}

bool FocusIsOnList(ScreenWindow* screen) {
  QWidget* focus = screen->frame->focusWidget();
  HWND__* window = focus != nullptr ? WindowOfWidget(focus) : nullptr;
  return window != nullptr && window->kind == WindowKind::kList;
}

// Moves the focus to the next (or previous) control that takes it, round the screen. False
// when the screen has no such control.
bool MoveFocus(ScreenWindow* screen, bool forward) {
  std::vector<HWND__*> stops;
  for (HWND__* child : screen->children) {
    if (TakesTabStop(child) && child->widget->isVisibleTo(screen->frame)) {
      stops.push_back(child);
    }
  }
  if (stops.empty()) {
    return false;
  }
  QWidget* focus = screen->frame->focusWidget();
  HWND__* current = focus != nullptr ? WindowOfWidget(focus) : nullptr;
  auto at = std::find(stops.begin(), stops.end(), current);
  std::size_t next = 0;
  if (at == stops.end()) {
    next = forward ? 0 : stops.size() - 1;
  } else {
    const std::size_t index = static_cast<std::size_t>(at - stops.begin());
    next = forward ? (index + 1) % stops.size() : (index + stops.size() - 1) % stops.size();
  }
  SetFocus(stops[next]);
  return true;
}

void PopupKey(ScreenWindow* screen, UINT virtualKey) {
  SoftKeyPopup* popup = screen->frame->Popup();
  if (virtualKey >= '1' && virtualKey <= '9') {
    ChoosePopupEntry(screen, static_cast<int>(virtualKey - '1'));
  } else if (virtualKey == VK_UP) {
    popup->MoveHighlight(-1);
  } else if (virtualKey == VK_DOWN) {
    popup->MoveHighlight(1);
  } else if (virtualKey == VK_RETURN) {
    ChoosePopupEntry(screen, popup->Highlighted());
  } else if (virtualKey == VK_ESCAPE) {
    popup->hide();
  } else if (virtualKey == VK_F1 || virtualKey == VK_F2) {
    PressSoftKey(screen, virtualKey == VK_F1);
  }
}

bool DefaultKey(ScreenWindow* screen, UINT virtualKey, bool press, bool backwards) {
  switch (virtualKey) {
    case VK_F1:
    case VK_F2:
      if (press) {
        PressSoftKey(screen, virtualKey == VK_F1);
      }
      return true;
    case VK_F3:
      return true;  // Talk does nothing unless a screen asks for it
    case VK_RETURN:
      if (press) {
        DispatchToScreen(screen, WM_COMMAND, IDOK, 0);
      }
      return true;
    case VK_ESCAPE:
      // Back: command 2. A screen that leaves it unhandled stays as it is.
      if (press) {
        DispatchToScreen(screen, WM_COMMAND, IDCANCEL, 0);
      }
      return true;
    case VK_UP:
    case VK_DOWN:
      if (FocusIsOnList(screen)) {
        return false;  // the list moves its selection
      }
      return press ? MoveFocus(screen, virtualKey == VK_DOWN) : false;
    case VK_TAB:
      return press ? MoveFocus(screen, !backwards) : false;
    default:
      return false;
  }
}

bool ScreenKey(ScreenWindow* screen, QKeyEvent* event) {
  const bool press = event->type() == QEvent::KeyPress;
  const UINT virtualKey = VirtualKeyOf(*event);
  if (virtualKey == 0) {
    return false;
  }
  if (!press && event->isAutoRepeat()) {
    return true;
  }
  const UINT modifiers = ModifiersOf(*event);
  if (const HotKey* registered = FindHotKey(virtualKey, modifiers)) {
    const HotKey key = *registered;
    if (press) {
      screen->keysDown.insert(virtualKey);
      if (!(key.modifiers & MOD_KEYUP)) {
        DeliverHotKey(key, modifiers);
      }
    } else if (screen->keysDown.erase(virtualKey) > 0 && (key.modifiers & MOD_KEYUP)) {
      DeliverHotKey(key, modifiers | MOD_KEYUP);
    }
    return true;
  }
  if (screen->frame->Popup()->IsOpen()) {
    if (press) {
      PopupKey(screen, virtualKey);
    }
    return true;
  }
  BarWindow::KeyOverride override;
  if (BarWindow* bar = LiveBar(screen->bar)) {
    if (auto found = bar->overrides.find(virtualKey); found != bar->overrides.end()) {
      override = found->second;
    }
  }
  if (override.notify) {
    const auto hotKey = MAKELPARAM(static_cast<WORD>(modifiers), static_cast<WORD>(virtualKey));
    if (press) {
      screen->keysDown.insert(virtualKey);
      DispatchToScreen(screen, WM_HOTKEY, virtualKey, hotKey);
    } else if (screen->keysDown.erase(virtualKey) > 0) {
      DispatchToScreen(screen, WM_HOTKEY, virtualKey, hotKey | MAKELPARAM(MOD_KEYUP, 0));
    }
  }
  if (override.noDefault || (override.notify && !press)) {
    return true;
  }
  return DefaultKey(screen, virtualKey, press, (modifiers & MOD_SHIFT) != 0);
}

// The wheel over a date picker scrolls the screen (when it scrolls) and never turns the
// picker's value: a person scrolling a form must not change the ring date on the way.
bool WheelOverPicker(ScreenWindow* screen, QWidget* widget, QEvent* event) {
  QWidget* picker = widget;
  while (picker != nullptr && qobject_cast<QAbstractSpinBox*>(picker) == nullptr) {
    picker = picker->parentWidget();
  }
  if (picker == nullptr) {
    return false;
  }
  QCoreApplication::sendEvent(screen->frame->ClientArea()->verticalScrollBar(), event);
  return true;
}

void ForgetHotKeysOf(HWND__* window) {
  std::erase_if(HotKeys(), [window](const HotKey& key) { return key.window == window; });
}

class KeyRouter : public QObject {
 public:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::MouseButtonPress && type != QEvent::Wheel) {
      return false;
    }
    auto* widget = qobject_cast<QWidget*>(receiver);
    ScreenWindow* screen = widget != nullptr ? ScreenShowing(widget) : nullptr;
    if (screen == nullptr) {
      return false;
    }
    if (screen != NewestScreenWindow() || screen->ended || OpenCover() != nullptr) {
      return true;  // a covered or ending screen takes no input
    }
    if (type == QEvent::Wheel) {
      return WheelOverPicker(screen, widget, event);
    }
    if (type == QEvent::MouseButtonPress) {
      // A click beside the open popup closes it and does nothing else.
      SoftKeyPopup* popup = screen->frame->Popup();
      if (popup->IsOpen() && widget != popup && !popup->isAncestorOf(widget)) {
        popup->hide();
        return true;
      }
      return false;
    }
    return ScreenKey(screen, static_cast<QKeyEvent*>(event));
  }
};

}  // namespace

void InstallKeyRouter() {
  static KeyRouter* router = nullptr;
  if (router == nullptr && QApplication::instance() != nullptr) {
    router = new KeyRouter;
    QApplication::instance()->installEventFilter(router);
    AddWindowEndListener(ForgetHotKeysOf);
  }
}

BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtualKey) {
  ScreenWindow* screen = CalledScreen(window, "RegisterHotKey");
  if (screen == nullptr) {
    return FALSE;
  }
  for (HotKey& key : HotKeys()) {
    if (key.window == window && key.id == id) {
      key = HotKey{window, id, modifiers, virtualKey};
      return TRUE;
    }
  }
  if (FindHotKey(virtualKey, modifiers & ~MOD_KEYUP) != nullptr) {
    return FALSE;
  }
  HotKeys().push_back(HotKey{window, id, modifiers, virtualKey});
  return TRUE;
}

BOOL UnregisterHotKey(HWND window, int id) {
  const auto before = HotKeys().size();
  std::erase_if(HotKeys(),
                [window, id](const HotKey& key) { return key.window == window && key.id == id; });
  return HotKeys().size() != before;
}
