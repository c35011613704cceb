// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/ui/internal/on_screen_keyboard.h"

#include <wayland-client.h>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtGlobal>
#include <cstring>
#include <vector>

namespace {

// The compositor's text-input globals that this Qt speaks: where one is offered, Qt raises
// the keyboard itself and must not be second-guessed.
bool CompositorSpeaksQtsTextInput() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    return false;
  }
  bool spoken = false;
  const wl_registry_listener listener = {
      [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
        std::vector<const char*> known = {"zwp_text_input_manager_v2",
                                          "qt_text_input_method_manager_v1"};
        if (QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)) {
          known.push_back("zwp_text_input_manager_v3");
        }
        for (const char* name : known) {
          if (std::strcmp(interface, name) == 0) {
            *static_cast<bool*>(data) = true;
          }
        }
      },
      [](void*, wl_registry*, uint32_t) {}};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &spoken);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return spoken;
}

bool TakesTyping(const QWidget* widget) {
  if (widget->property(kShowsChoiceProperty).toBool()) {
    return false;
  }
  return qobject_cast<const QLineEdit*>(widget) != nullptr ||
         qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

// Sent without waiting for an answer: a keyboard service that hangs, or none at all, costs
// nothing a person sees.
void AskKeyboardToShow(bool visible) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("sm.puri.OSK0"), QStringLiteral("/sm/puri/OSK0"),
      QStringLiteral("sm.puri.OSK0"), QStringLiteral("SetVisible"));
  call << visible;
  call.setAutoStartService(false);
  QDBusConnection::sessionBus().send(call);
}

// Focus changes inside the scaled frame happen within the window's scene, unseen by the
// application's focus tracking: the controls' own focus events are followed instead, and the
// keyboard is asked once the focus has settled (moving from one field to the next is no hide
// and show).
class TypingFocusFollower : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if ((type == QEvent::FocusIn || type == QEvent::FocusOut) && watched->isWidgetType()) {
      const bool typing = TakesTyping(static_cast<QWidget*>(watched));
      if (type == QEvent::FocusIn) {
        wanted_ = typing;
      } else if (typing) {
        wanted_ = false;
      }
      if (!pending_) {
        pending_ = true;
        QTimer::singleShot(0, this, [this] {
          pending_ = false;
          if (wanted_ != shown_) {
            shown_ = wanted_;
            AskKeyboardToShow(shown_);
          }
        });
      }
    }
    return false;
  }

 private:
  bool wanted_ = false;
  bool shown_ = false;
  bool pending_ = false;
};

}  // namespace

void FollowTypingWithOnScreenKeyboard() {
  static TypingFocusFollower* follower = nullptr;
  if (follower != nullptr || qApp == nullptr ||
      !QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) ||
      CompositorSpeaksQtsTextInput()) {
    return;
  }
  follower = new TypingFocusFollower(qApp);
  qApp->installEventFilter(follower);
}
