// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Drives the screens with real key and mouse events, through the same path as a keyboard.
#include "platform/ui/testing/screen_driver.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QEventLoop>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>
#include <deque>

#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/key_codes.h"
#include "platform/ui/internal/list_view.h"
#include "platform/ui/internal/message_box.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/list_view.h"
#include "platform/ui/window_calls.h"

namespace {

std::deque<std::function<void()>>& QueuedSteps() {
  static std::deque<std::function<void()>> steps;
  return steps;
}

// The modal depth at which each running step started, innermost last. The next step may run
// once the innermost running step waits in a loop deeper than the one it started in.
std::vector<int>& RunningSteps() {
  static std::vector<int> depths;
  return depths;
}

bool stepScheduled = false;

void RunNextStep();

// Gives the queued steps their turn in the loop that is about to run.
void ScheduleQueuedSteps() {
  if (stepScheduled || QueuedSteps().empty() || QCoreApplication::instance() == nullptr) {
    return;
  }
  stepScheduled = true;
  QTimer::singleShot(0, RunNextStep);
}

void RunNextStep() {
  stepScheduled = false;
  if (QueuedSteps().empty()) {
    return;
  }
  if (!RunningSteps().empty() && ModalDepth() <= RunningSteps().back()) {
    return;
  }
  // A screen that has ended, or a message box that was dismissed, takes no keys; its loop
  // returns before the next step runs.
  ScreenWindow* newest = NewestScreenWindow();
  QWidget* box = OpenCover();
  if ((newest != nullptr && newest->ended) || (box != nullptr && !box->isVisible())) {
    ScheduleQueuedSteps();
    return;
  }
  std::function<void()> step = std::move(QueuedSteps().front());
  QueuedSteps().pop_front();
  RunningSteps().push_back(ModalDepth());
  step();
  RunningSteps().pop_back();
  ScheduleQueuedSteps();
}

// An open popup window (a date picker's calendar), on the stage or on the desktop.
QWidget* OpenPopupWindow() {
  if (QWidget* popup = QApplication::activePopupWidget()) {
    return popup;
  }
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->windowType() == Qt::Popup && window->isVisible()) {
      return window;
    }
  }
  return nullptr;
}

// Whatever a keyboard's keys would reach now: an open popup window, a message box, or the
// focused control of the newest screen.
QWidget* KeyTarget() {
  if (QWidget* popup = OpenPopupWindow()) {
    return popup->focusWidget() != nullptr ? popup->focusWidget() : popup;
  }
  if (QWidget* box = OpenCover()) {
    return box->focusWidget() != nullptr ? box->focusWidget() : box;
  }
  if (ScreenWindow* screen = NewestScreenWindow(); screen != nullptr && screen->frame) {
    QWidget* focus = screen->frame->focusWidget();
    return focus != nullptr ? focus : screen->frame.data();
  }
  return QApplication::focusWidget();
}

// Keys reach the window a person types into: the active one. A headless platform activates a
// window only once its events are processed, and a date picker picks the part to type into
// when it gets the focus, so the window is made active first.
QPointer<QWidget> ActiveKeyTarget() {
  QPointer<QWidget> target = KeyTarget();
  if (target != nullptr && !target->isActiveWindow()) {
    ProgramWindow()->activateWindow();
    QCoreApplication::processEvents();
    target = KeyTarget();
  }
  return target;
}

void SendKey(QEvent::Type type, UINT virtualKey, const QString& text) {
  QPointer<QWidget> target = ActiveKeyTarget();
  if (target == nullptr) {
    return;
  }
  QKeyEvent event(type, QtKeyOf(virtualKey), Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &event);
}

// One character as typed: a UTF-16 pair travels in one key event.
void SendCharacter(std::u16string_view units) {
  const QString text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
  const char16_t character = units.front();
  int key = Qt::Key_unknown;
  if ((character >= u'0' && character <= u'9') || character == u' ') {
    key = character;
  } else if (character >= u'a' && character <= u'z') {
    key = character - u'a' + Qt::Key_A;
  } else if (character >= u'A' && character <= u'Z') {
    key = character;
  }
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QPointer<QWidget> target = ActiveKeyTarget();
    if (target == nullptr) {
      return;
    }
    QKeyEvent event(type, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &event);
  }
}

SoftKeyPopup* OpenPopup() {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr || !screen->frame->Popup()->IsOpen()) {
    return nullptr;
  }
  return screen->frame->Popup();
}

std::u16string SoftKeyCaption(bool left) {
  ScreenWindow* screen = NewestScreenWindow();
  BarWindow* bar = screen != nullptr ? LiveBar(screen->bar) : nullptr;
  if (bar == nullptr || bar->resource == nullptr) {
    return {};
  }
  const SoftKey& key = left ? bar->resource->left : bar->resource->right;
  return key.caption != nullptr ? std::u16string(key.caption) : std::u16string();
}

PhoneMessageBox* OpenBox() {
  return qobject_cast<PhoneMessageBox*>(OpenCover());
}

// The open message box when it covers (x, y) of the frame, with the point in its coordinates.
PhoneMessageBox* BoxAt(PhoneFrame* frame, const QPoint& at, QPoint* local) {
  PhoneMessageBox* box = OpenBox();
  if (box == nullptr || !box->isVisible()) {
    return nullptr;
  }
  *local = box->mapFromGlobal(frame->mapToGlobal(at));
  return box->rect().contains(*local) ? box : nullptr;
}

// A part of `widget` (a message box, a control, a calendar window) in the frame's coordinates.
RECT InFrame(PhoneFrame* frame, QWidget* widget, const QRect& part) {
  const QRect placed(frame->mapFromGlobal(widget->mapToGlobal(part.topLeft())), part.size());
  return RECT{placed.left(), placed.top(), placed.right() + 1, placed.bottom() + 1};
}

}  // namespace

void PressKey(UINT virtualKey) {
  PressKeyDown(virtualKey);
  ReleaseKey(virtualKey);
}

void PressKeyDown(UINT virtualKey) {
  SendKey(QEvent::KeyPress, virtualKey, TypedTextOf(virtualKey));
}

void ReleaseKey(UINT virtualKey) {
  SendKey(QEvent::KeyRelease, virtualKey, TypedTextOf(virtualKey));
}

void TypeText(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size() &&
                      QChar::isLowSurrogate(text[i + 1]);
    SendCharacter(text.substr(i, pair ? 2 : 1));
    i += pair ? 1 : 0;
  }
}

namespace {

// The left button's presses and releases at (x, y) of the newest frame, in order, each to the
// widget a person's pointer would hit there.
void SendButtonEvents(int x, int y, std::initializer_list<QEvent::Type> types) {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr) {
    return;
  }
  PhoneFrame* frame = screen->frame;
  const QPoint at(x, y);
  QPoint inBox;
  QWidget* top = frame;
  QPoint point = at;
  if (PhoneMessageBox* box = BoxAt(frame, at, &inBox)) {
    top = box;
    point = inBox;
  }
  QPointer<QWidget> target = top->childAt(point);
  if (target == nullptr) {
    target = top;
  }
  const QPointF local = target->mapFrom(top, QPointF(point));
  const QPointF global = frame->mapToGlobal(QPointF(at));
  for (const QEvent::Type type : types) {
    if (target == nullptr) {
      return;  // the press ended the screen
    }
    const bool down = type != QEvent::MouseButtonRelease;
    QMouseEvent event(type, local, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
  }
}

}  // namespace

void ClickAt(int x, int y) {
  SendButtonEvents(x, y, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
}

void DoubleClickAt(int x, int y) {
  SendButtonEvents(x, y,
                   {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease});
}

void WheelAt(int x, int y, int notches) {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr) {
    return;
  }
  PhoneFrame* frame = screen->frame;
  const QPoint at(x, y);
  QWidget* target = frame->childAt(at);
  if (target == nullptr) {
    target = frame;
  }
  constexpr int kNotch = 120;  // one step of a wheel, in eighths of a degree
  // Qt hands a made-up wheel event to its receiver only; pass it up the parents as a real
  // wheel's would be, until one takes it.
  for (QWidget* receiver = target; receiver != nullptr; receiver = receiver->parentWidget()) {
    QWheelEvent wheel(receiver->mapFrom(frame, QPointF(at)), frame->mapToGlobal(QPointF(at)),
                      QPoint(), QPoint(0, notches * kNotch), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(receiver, &wheel);
    if (wheel.isAccepted() || receiver == frame) {
      return;
    }
  }
}

void RunLater(std::function<void()> step) {
  SetModalLoopHook(ScheduleQueuedSteps);
  QueuedSteps().push_back(std::move(step));
  ScheduleQueuedSteps();
}

HWND NewestScreen() {
  return NewestScreenWindow();
}

HWND FocusedControl() {
  return GetFocus();
}

bool OpenMessageBox(std::u16string* caption, std::u16string* text) {
  PhoneMessageBox* box = OpenBox();
  if (box == nullptr) {
    return false;
  }
  if (caption != nullptr) {
    *caption = box->Caption().toStdU16String();
  }
  if (text != nullptr) {
    *text = box->Text().toStdU16String();
  }
  return true;
}

bool OpenMessageBoxPlaces(MessageBoxPlaces* places) {
  ScreenWindow* screen = NewestScreenWindow();
  PhoneMessageBox* box = OpenBox();
  if (box == nullptr || places == nullptr || screen == nullptr || screen->frame == nullptr) {
    return false;
  }
  PhoneFrame* frame = screen->frame;
  places->box = InFrame(frame, box, box->rect());
  places->caption = InFrame(frame, box, box->CaptionRect());
  places->text = InFrame(frame, box, box->TextRect());
  places->button = InFrame(frame, box, box->ButtonRect());
  return true;
}

std::u16string LeftSoftKeyCaption() {
  return SoftKeyCaption(true);
}
std::u16string RightSoftKeyCaption() {
  return SoftKeyCaption(false);
}

std::u16string OpenPopupText() {
  SoftKeyPopup* popup = OpenPopup();
  if (popup == nullptr) {
    return {};
  }
  QStringList lines;
  for (int i = 0; i < popup->EntryCount(); ++i) {
    lines << popup->EntryText(i);
  }
  return lines.join(QLatin1Char('\n')).toStdU16String();
}

bool OpenPopupEntryRect(int index, RECT* rect) {
  SoftKeyPopup* popup = OpenPopup();
  if (popup == nullptr || rect == nullptr || index < 0 || index >= popup->EntryCount()) {
    return false;
  }
  const QRect entry = popup->EntryRect(index).translated(popup->pos());
  *rect = RECT{entry.left(), entry.top(), entry.right() + 1, entry.bottom() + 1};
  return true;
}

bool ReadFramePixel(int x, int y, COLORREF* colour) {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr || colour == nullptr ||
      !screen->frame->rect().contains(x, y)) {
    return false;
  }
  QPoint inBox;
  PhoneMessageBox* box = BoxAt(screen->frame, QPoint(x, y), &inBox);
  const QImage picture = box != nullptr ? box->grab(QRect(inBox, QSize(1, 1))).toImage()
                                        : screen->frame->grab(QRect(x, y, 1, 1)).toImage();
  if (picture.isNull()) {
    return false;
  }
  const QColor seen = picture.pixelColor(0, 0);
  *colour = RGB(static_cast<BYTE>(seen.red()), static_cast<BYTE>(seen.green()),
                static_cast<BYTE>(seen.blue()));
  return true;
}

bool FramePicture(int scale, std::vector<COLORREF>* pixels, int* width) {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr || scale < 1 || pixels == nullptr ||
      width == nullptr) {
    return false;
  }
  QImage picture(screen->frame->size() * scale, QImage::Format_RGB32);
  picture.setDevicePixelRatio(scale);
  picture.fill(Qt::black);
  screen->frame->render(&picture);
  *width = picture.width();
  pixels->clear();
  pixels->reserve(static_cast<std::size_t>(picture.width()) * picture.height());
  for (int y = 0; y < picture.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    for (int x = 0; x < picture.width(); ++x) {
      pixels->push_back(RGB(static_cast<BYTE>(qRed(row[x])), static_cast<BYTE>(qGreen(row[x])),
                            static_cast<BYTE>(qBlue(row[x]))));
    }
  }
  return true;
}

bool NewestFrameOrigin(int* x, int* y) {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr || x == nullptr || y == nullptr) {
    return false;
  }
  const QPoint origin = screen->frame->mapToGlobal(QPoint(screen->frame->ContentShift(), 0));
  *x = origin.x();
  *y = origin.y();
  return true;
}

bool NewestWindowOrigin(int* x, int* y) {
  ScreenWindow* screen = NewestScreenWindow();
  if (screen == nullptr || screen->frame == nullptr || x == nullptr || y == nullptr) {
    return false;
  }
  *x = ProgramWindow()->pos().x();
  *y = ProgramWindow()->pos().y();
  return true;
}

void ResizeProgramWindow(int width, int height) {
  ProgramWindow()->resize(width, height);
  QCoreApplication::processEvents();
}

void PressCloseButton() {
  if (NewestScreenWindow() != nullptr || OpenCover() != nullptr) {
    ProgramWindow()->close();
  }
}

std::vector<std::u16string> ShownWindowTitles() {
  std::vector<std::u16string> titles;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    // What lies on the window's stage is not a window of its own.
    if (window->isVisible() && window->windowType() != Qt::Popup &&
        window->graphicsProxyWidget() == nullptr) {
      titles.push_back(window->windowTitle().toStdU16String());
    }
  }
  return titles;
}

std::u16string ShownListCell(HWND list, int row, int column) {
  ListWindow* live = LiveList(list);
  return live != nullptr ? ShownListCell(live, row, column).toStdU16String() : std::u16string();
}

bool ListRowPlace(HWND list, int row, RECT* place) {
  ScreenWindow* screen = NewestScreenWindow();
  ListWindow* live = LiveList(list);
  if (screen == nullptr || screen->frame == nullptr || live == nullptr || place == nullptr ||
      row < 0 || row >= live->tree->topLevelItemCount()) {
    return false;
  }
  QTreeWidget* tree = live->tree;
  const QRect cell = tree->visualRect(tree->model()->index(row, 0));
  if (cell.isEmpty()) {
    return false;
  }
  *place = InFrame(screen->frame, tree->viewport(), cell);
  return true;
}

int TopShownListRow(HWND list) {
  ListWindow* live = LiveList(list);
  return live != nullptr ? TopShownListRow(live) : -1;
}

int ShownColumnWidth(HWND list, int column) {
  ListWindow* live = LiveList(list);
  if (live == nullptr || !live->hasColumns || column < 0 || column >= live->tree->columnCount()) {
    return 0;
  }
  return live->tree->header()->sectionSize(column);
}

UINT ShownRowState(HWND list, int row) {
  ListWindow* live = LiveList(list);
  if (live == nullptr || row < 0 || row >= live->tree->topLevelItemCount()) {
    return 0;
  }
  QTreeWidgetItem* item = live->tree->topLevelItem(row);
  return (item->isSelected() ? LVIS_SELECTED : 0u) |
         (live->tree->currentItem() == item ? LVIS_FOCUSED : 0u);
}

void LetTimePass(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

bool WindowPlace(HWND window, RECT* place) {
  ScreenWindow* screen = NewestScreenWindow();
  HWND__* live = LiveWindow(window);
  if (screen == nullptr || screen->frame == nullptr || live == nullptr || place == nullptr ||
      live->widget == nullptr || !screen->frame->isAncestorOf(live->widget)) {
    return false;
  }
  *place = InFrame(screen->frame, live->widget, live->widget->rect());
  return true;
}

std::u16string ShownText(HWND control) {
  HWND__* live = LiveWindow(control);
  if (live == nullptr || live->kind != WindowKind::kControl) {
    return {};
  }
  return ShownControlText(static_cast<ControlWindow*>(live));
}

bool OpenCalendarPlace(RECT* place) {
  ScreenWindow* screen = NewestScreenWindow();
  QWidget* popup = OpenPopupWindow();
  if (screen == nullptr || screen->frame == nullptr || place == nullptr || popup == nullptr ||
      popup->findChild<QCalendarWidget*>() == nullptr) {
    return false;
  }
  *place = InFrame(screen->frame, popup, popup->rect());
  return true;
}

int ShownTextHeight(HWND window) {
  HWND__* live = LiveWindow(window);
  if (live == nullptr || live->widget == nullptr) {
    return 0;
  }
  return QFontMetrics(live->widget->font()).height();
}

int ImageList_GetImageCount(HIMAGELIST images) {
  HIMAGELIST__* live = LiveImageList(images);
  return live != nullptr ? static_cast<int>(live->icons.size()) : 0;
}

LiveHandles CountLiveHandles() {
  const HandleCounts drawing = LiveHandleCounts();
  return LiveHandles{LiveWindowCount(), drawing.fonts,      drawing.brushes,
                     drawing.bitmaps,   drawing.imageLists, drawing.deviceContexts};
}
