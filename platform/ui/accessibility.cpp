// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a screen reader reads of the screens: interfaces for the parts the frame paints itself,
// the window, the stage and the program, and the factory that hands them (and Qt's own, for
// the stage's controls, wrapped) to Qt.
#include "platform/ui/internal/accessibility.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleApplication>
#include <QAccessibleWidget>
#include <QApplication>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPointer>
#include <QTimer>
#include <vector>

#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/frame_metrics.h"
#include "platform/ui/internal/message_box.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/screen_places.h"
#include "platform/ui/internal/stage_control_accessible.h"
#include "platform/ui/internal/text.h"
#include "platform/ui/internal/windows.h"

namespace {

// Runs a screen reader's action once its call has been answered: a key may open a screen,
// whose loop would hold the answer back until it ends.
template <typename Action>
void RunSoon(QObject* owner, Action action) {
  QTimer::singleShot(0, owner, action);
}

const ControlWindow* StaticTextOf(const QWidget* widget) {
  HWND__* window = WindowOfWidget(widget);
  if (window == nullptr || window->kind != WindowKind::kControl || window->widget != widget) {
    return nullptr;
  }
  const auto* control = static_cast<const ControlWindow*>(window);
  return control->controlKind == ControlKind::kStaticText ? control : nullptr;
}

// A part the frame paints itself: a child of the interface of `owner` without a widget.
class PaintedPart : public QAccessibleInterface {
 public:
  explicit PaintedPart(QWidget* owner) : owner_(owner) {}
  bool isValid() const override { return owner_ != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    if (owner_ == nullptr) {
      return nullptr;
    }
    QGraphicsView* view = ViewOf(owner_);
    return (view != nullptr ? view->window() : owner_->window())->windowHandle();
  }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(owner_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}
  QAccessible::State state() const override {
    QAccessible::State state;
    state.invisible = owner_ == nullptr || !owner_->isVisible();
    return state;
  }

 protected:
  QPointer<QWidget> owner_;
};

// The caption strip: the screen's title.
class CaptionStrip : public PaintedPart {
 public:
  explicit CaptionStrip(PhoneFrame* frame) : PaintedPart(frame), frame_(frame) {}
  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Name && frame_ != nullptr ? frame_->Caption() : QString();
  }
  QRect rect() const override {
    return ScreenRect(frame_, QRect(0, 0, kFrameWidth, kCaptionHeight));
  }
  QAccessible::Role role() const override { return QAccessible::Heading; }

 private:
  QPointer<PhoneFrame> frame_;
};

// A soft key: a push button named by its caption that presses the key.
class SoftKeyButton : public PaintedPart, public QAccessibleActionInterface {
 public:
  SoftKeyButton(PhoneFrame* frame, bool left) : PaintedPart(frame), frame_(frame), left_(left) {}
  QString text(QAccessible::Text kind) const override {
    if (frame_ == nullptr) {
      return {};
    }
    switch (kind) {
      case QAccessible::Name:
        return frame_->SoftKeyCaption(left_);
      case QAccessible::Accelerator:
        return Key();
      default:
        return {};
    }
  }
  QRect rect() const override {
    return frame_ != nullptr ? ScreenRect(frame_, frame_->SoftKeyRect(left_)) : QRect();
  }
  QAccessible::Role role() const override { return QAccessible::PushButton; }
  QAccessible::State state() const override {
    QAccessible::State state = PaintedPart::state();
    state.invisible = state.invisible || frame_->SoftKeyCaption(left_).isEmpty();
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  QStringList keyBindingsForAction(const QString& action) const override {
    return action == pressAction() ? QStringList{Key()} : QStringList();
  }
  void doAction(const QString& action) override {
    if (action != pressAction() || frame_ == nullptr) {
      return;
    }
    RunSoon(frame_, [frame = frame_, left = left_] {
      if (frame != nullptr) {
        PressSoftKey(frame->Screen(), left);
      }
    });
  }

 private:
  QString Key() const { return left_ ? QStringLiteral("F1") : QStringLiteral("F2"); }

  QPointer<PhoneFrame> frame_;
  bool left_;
};

// An entry of the soft key's popup: a menu item named by its entry ("DEL"), chosen by its
// action or its digit.
class PopupItem : public PaintedPart, public QAccessibleActionInterface {
 public:
  PopupItem(SoftKeyPopup* popup, int index) : PaintedPart(popup), popup_(popup), index_(index) {}
  int Index() const { return index_; }
  QString text(QAccessible::Text kind) const override {
    if (popup_ == nullptr) {
      return {};
    }
    switch (kind) {
      case QAccessible::Name:
        return popup_->EntryCaption(index_);
      case QAccessible::Accelerator:
        return QString::number(index_ + 1);
      default:
        return {};
    }
  }
  QRect rect() const override {
    return popup_ != nullptr ? ScreenRect(popup_, popup_->EntryRect(index_)) : QRect();
  }
  QAccessible::Role role() const override { return QAccessible::MenuItem; }
  QAccessible::State state() const override {
    QAccessible::State state = PaintedPart::state();
    state.focusable = true;
    state.selectable = true;
    const bool highlighted = !state.invisible && popup_->Highlighted() == index_;
    state.focused = highlighted;
    state.selected = highlighted;
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  QStringList keyBindingsForAction(const QString& action) const override {
    return action == pressAction() ? QStringList{QString::number(index_ + 1)} : QStringList();
  }
  void doAction(const QString& action) override {
    if (action != pressAction() || popup_ == nullptr) {
      return;
    }
    RunSoon(popup_, [popup = popup_, index = index_] {
      auto* frame = popup != nullptr ? qobject_cast<PhoneFrame*>(popup->parentWidget()) : nullptr;
      if (frame != nullptr && popup->IsOpen()) {
        ChoosePopupEntry(frame->Screen(), index);
      }
    });
  }

 private:
  QPointer<SoftKeyPopup> popup_;
  int index_;
};

// Parts registered with Qt's accessibility, freed with their owner's interface.
class OwnedParts {
 public:
  OwnedParts() = default;
  OwnedParts(const OwnedParts&) = delete;
  OwnedParts& operator=(const OwnedParts&) = delete;
  ~OwnedParts() {
    for (QAccessible::Id id : ids_) {
      QAccessible::deleteAccessibleInterface(id);
    }
  }
  template <typename Part>
  Part* Add(Part* part) {
    ids_.push_back(QAccessible::registerAccessibleInterface(part));
    return part;
  }

 private:
  std::vector<QAccessible::Id> ids_;
};

// The texts of the screen's labels that name no field: what the screen says ("Incoming",
// the caller's name), one a line.
QString ScreenTexts(const PhoneFrame* frame) {
  QStringList texts;
  ScreenWindow* screen = frame != nullptr ? LiveScreen(frame->Screen()) : nullptr;
  if (screen == nullptr) {
    return {};
  }
  for (HWND__* child : screen->children) {
    ControlWindow* control = LiveControl(child);
    if (control != nullptr && control->controlKind == ControlKind::kStaticText &&
        !control->text.empty() && !NamesField(control)) {
      texts.push_back(ToQString(control->text).trimmed());
    }
  }
  return texts.join(QLatin1Char('\n'));
}

// A screen's frame: a dialog named by its caption, described by what its labels say. Its
// children: the caption strip, its widgets (the client area, the popup), then the soft keys.
class FrameAccessible : public QAccessibleWidget {
 public:
  explicit FrameAccessible(PhoneFrame* frame)
      : QAccessibleWidget(frame, QAccessible::Dialog),
        caption_(parts_.Add(new CaptionStrip(frame))),
        keys_{parts_.Add(new SoftKeyButton(frame, true)),
              parts_.Add(new SoftKeyButton(frame, false))} {}

  QString text(QAccessible::Text kind) const override {
    auto* frame = static_cast<PhoneFrame*>(widget());
    if (kind == QAccessible::Name) {
      return frame->Caption();
    }
    if (kind == QAccessible::Description) {
      return ScreenTexts(frame);
    }
    return QAccessibleWidget::text(kind);
  }
  QRect rect() const override { return ScreenRect(widget()); }
  int childCount() const override { return 1 + QAccessibleWidget::childCount() + 2; }
  QAccessibleInterface* child(int index) const override {
    const int widgets = QAccessibleWidget::childCount();
    if (index == 0) {
      return caption_;
    }
    if (index >= 1 && index <= widgets) {
      return QAccessibleWidget::child(index - 1);
    }
    if (index == widgets + 1 || index == widgets + 2) {
      return keys_[index - widgets - 1];
    }
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const int widgets = QAccessibleWidget::childCount();
    if (child == caption_) {
      return 0;
    }
    if (child == keys_[0] || child == keys_[1]) {
      return widgets + (child == keys_[0] ? 1 : 2);
    }
    const int index = QAccessibleWidget::indexOfChild(child);
    return index >= 0 ? index + 1 : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override { return ChildAtPoint(this, x, y); }

 private:
  OwnedParts parts_;
  CaptionStrip* caption_;
  SoftKeyButton* keys_[2];
};

// The soft key's popup, named by the key that opened it ("Menu").
class PopupAccessible : public QAccessibleWidget {
 public:
  explicit PopupAccessible(SoftKeyPopup* popup)
      : QAccessibleWidget(popup, QAccessible::PopupMenu) {}
  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Name ? Popup()->OpenedBy() : QAccessibleWidget::text(kind);
  }
  QRect rect() const override { return ScreenRect(widget()); }
  int childCount() const override { return Popup()->EntryCount(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) {
      return nullptr;
    }
    while (static_cast<int>(items_.size()) <= index) {
      items_.push_back(parts_.Add(new PopupItem(Popup(), static_cast<int>(items_.size()))));
    }
    return items_[static_cast<std::size_t>(index)];
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i] == child) {
        return static_cast<int>(i) < childCount() ? static_cast<int>(i) : -1;
      }
    }
    return -1;
  }
  QAccessibleInterface* focusChild() const override {
    return Popup()->IsOpen() ? child(Popup()->Highlighted()) : nullptr;
  }
  QAccessibleInterface* childAt(int x, int y) const override { return ChildAtPoint(this, x, y); }

 private:
  SoftKeyPopup* Popup() const { return static_cast<SoftKeyPopup*>(widget()); }

  mutable OwnedParts parts_;
  mutable std::vector<PopupItem*> items_;
};

// A static text: a label whose name is its whole text, even when the line shows it cut.
class LabelAccessible : public QAccessibleWidget {
 public:
  explicit LabelAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::StaticText) {}
  QString text(QAccessible::Text kind) const override {
    const ControlWindow* control = StaticTextOf(widget());
    if (kind == QAccessible::Name && control != nullptr) {
      return ToQString(control->text).trimmed();
    }
    return QAccessibleWidget::text(kind);
  }
  QRect rect() const override { return ScreenRect(widget()); }
};

class MessageBoxAccessible : public QAccessibleWidget {
 public:
  explicit MessageBoxAccessible(PhoneMessageBox* box)
      : QAccessibleWidget(box, QAccessible::AlertMessage) {}
  QString text(QAccessible::Text kind) const override {
    const auto* box = static_cast<const PhoneMessageBox*>(widget());
    if (kind == QAccessible::Name) {
      return box->Caption();
    }
    if (kind == QAccessible::Description) {
      return box->Text();
    }
    return QAccessibleWidget::text(kind);
  }
  QRect rect() const override { return ScreenRect(widget()); }
  QAccessibleInterface* childAt(int x, int y) const override { return ChildAtPoint(this, x, y); }
};

// The stage is a window of its own to Qt (the view draws it): it hangs under the program's
// window instead.
class StageAccessible : public QAccessibleWidget {
 public:
  explicit StageAccessible(QWidget* stage) : QAccessibleWidget(stage, QAccessible::Pane) {}
  QAccessibleInterface* parent() const override {
    QGraphicsView* view = ViewOf(widget());
    return view != nullptr ? QAccessible::queryAccessibleInterface(view->window())
                           : QAccessibleWidget::parent();
  }
  QRect rect() const override { return ScreenRect(widget()); }
  QAccessibleInterface* childAt(int x, int y) const override { return ChildAtPoint(this, x, y); }
};

// The window's view holds the keyboard focus for the whole stage, so Qt tells a screen reader
// that the view (a nameless filler) took the focus when the window becomes active: the control
// focused on the stage is told after it, as the one a person is on.
class StageFocusTeller : public QObject {
 public:
  StageFocusTeller(PhoneWindow* window, QObject* parent) : QObject(parent), window_(window) {}

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::FocusIn && window_ != nullptr) {
      QPointer<QWidget> focus = window_->Stage()->focusWidget();
      RunSoon(this, [focus] {
        if (focus != nullptr && focus->isVisible()) {
          QAccessibleEvent focused(focus, QAccessible::Focus);
          QAccessible::updateAccessibility(&focused);
        }
      });
    }
    return false;
  }

 private:
  QPointer<PhoneWindow> window_;
};

// The program's window: named by its title (the newest screen's caption), described by what
// that screen says (or the open message box), with the stage as its one child (the view that
// draws it is left out).
class WindowAccessible : public QAccessibleWidget {
 public:
  explicit WindowAccessible(PhoneWindow* window) : QAccessibleWidget(window, QAccessible::Window) {
    if (auto* view = window->findChild<QGraphicsView*>()) {
      view->installEventFilter(new StageFocusTeller(window, view));
    }
  }
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Description) {
      if (auto* box = qobject_cast<PhoneMessageBox*>(Window()->Cover())) {
        return box->Text();
      }
      ScreenWindow* screen = NewestScreenWindow();
      return screen != nullptr ? ScreenTexts(screen->frame) : QString();
    }
    return QAccessibleWidget::text(kind);
  }
  QRect rect() const override { return ScreenRect(widget()); }
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Window()->Stage()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == Window()->Stage() ? 0 : -1;
  }
  QAccessibleInterface* focusChild() const override {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || ViewOf(focus) == nullptr) {
      return nullptr;
    }
    return QAccessible::queryAccessibleInterface(focus);
  }
  QAccessibleInterface* childAt(int x, int y) const override { return ChildAtPoint(this, x, y); }

 private:
  PhoneWindow* Window() const { return static_cast<PhoneWindow*>(widget()); }
};

// The program: its windows, without the stage and the popups a view draws (they are Qt
// windows too, but show inside the program's window).
class ProgramAccessible : public QAccessibleApplication {
 public:
  int childCount() const override { return static_cast<int>(Windows().size()); }
  QAccessibleInterface* child(int index) const override {
    const std::vector<QAccessibleInterface*> windows = Windows();
    return index >= 0 && index < static_cast<int>(windows.size())
               ? windows[static_cast<std::size_t>(index)]
               : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const std::vector<QAccessibleInterface*> windows = Windows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
      if (windows[i] == child) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

 private:
  std::vector<QAccessibleInterface*> Windows() const {
    std::vector<QAccessibleInterface*> windows;
    for (int i = 0; i < QAccessibleApplication::childCount(); ++i) {
      QAccessibleInterface* window = QAccessibleApplication::child(i);
      const auto* widget = window != nullptr ? qobject_cast<QWidget*>(window->object()) : nullptr;
      if (window != nullptr && (widget == nullptr || ViewOf(widget) == nullptr)) {
        windows.push_back(window);
      }
    }
    return windows;
  }
};

// The object whose interface Qt's own factories are making now.
QObject* makingStockInterfaceOf = nullptr;

// Qt's own interface for the object, made by Qt's factories (and kept in Qt's cache, which
// the wrapper then takes over for the object; the wrapper frees it).
QAccessibleInterface* StockInterface(QObject* object) {
  makingStockInterfaceOf = object;
  QAccessibleInterface* stock = QAccessible::queryAccessibleInterface(object);
  makingStockInterfaceOf = nullptr;
  return stock;
}

// Asked for while the window is still being made, before the view shows the stage.
bool IsStage(const QWidget* widget) {
  return widget->objectName() == QLatin1String(kStageName);
}

QAccessibleInterface* MakeInterface(const QString& /*className*/, QObject* object) {
  if (object == nullptr || object == makingStockInterfaceOf) {
    return nullptr;
  }
  if (object == QCoreApplication::instance()) {
    return new ProgramAccessible;
  }
  if (!object->isWidgetType()) {
    return nullptr;
  }
  auto* widget = static_cast<QWidget*>(object);
  if (auto* window = qobject_cast<PhoneWindow*>(widget)) {
    return new WindowAccessible(window);
  }
  if (IsStage(widget)) {
    return new StageAccessible(widget);
  }
  if (ViewOf(widget) == nullptr) {
    return nullptr;
  }
  if (auto* frame = qobject_cast<PhoneFrame*>(widget)) {
    return new FrameAccessible(frame);
  }
  if (auto* popup = qobject_cast<SoftKeyPopup*>(widget)) {
    return new PopupAccessible(popup);
  }
  if (auto* box = qobject_cast<PhoneMessageBox*>(widget)) {
    return new MessageBoxAccessible(box);
  }
  if (StaticTextOf(widget) != nullptr) {
    return new LabelAccessible(widget);
  }
  QAccessibleInterface* stock = StockInterface(object);
  return stock != nullptr ? WrapStageControl(stock) : nullptr;
}

}  // namespace

void InstallAccessibility() {
  static bool installed = false;
  if (!installed) {
    installed = true;
    QAccessible::installFactory(MakeInterface);
  }
}
