// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The phone frame: caption strip, client area, soft-key bar and the soft-key popup.
#include "platform/ui/internal/phone_frame.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QScroller>
#include <QScrollerProperties>
#include <algorithm>

#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/text.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/messages.h"

namespace {

const QColor kStripText(Qt::white);
const QColor kDefaultBackground(Qt::white);
const QColor kHighlight(0x31, 0x6A, 0xC5);
// Around the frame, where the window is wider or taller than the phone's shape.
const QColor kOutsideFrame(0x20, 0x20, 0x20);
constexpr int kPopupPadding = 4;
QString CaptionOf(const SoftKey& key) {
  return ToQString(key.caption);
}

}  // namespace

// Groove and handle only: the bar lies over the content, so it has no arrows.
const char kSlimScrollBarStyle[] =
    "QScrollBar:vertical { width: 6px; margin: 0; border: none; background: #E4E4E4; }"
    "QScrollBar::handle:vertical { background: #7F7F7F; min-height: 16px; border-radius: 2px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }";

ScreenClient::ScreenClient(ScreenWindow* screen, QWidget* parent)
    : QWidget(parent), screen_(screen) {
  setFocusPolicy(Qt::NoFocus);
}

// The background first, in the colour the screen answers to WM_CTLCOLORDLG, then the screen's
// own painting.
void ScreenClient::paintEvent(QPaintEvent* event) {
  if (LiveScreen(screen_) == nullptr) {
    return;
  }
  QPainter painter(this);
  HDC dc = MakePaintDc(&painter);
  const INT_PTR answer = DispatchToScreen(screen_, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                          reinterpret_cast<LPARAM>(static_cast<HWND>(screen_)));
  HGDIOBJ__* brush = LiveBrush(reinterpret_cast<const void*>(answer));
  painter.fillRect(event->rect(), brush != nullptr ? brush->colour : kDefaultBackground);
  screen_->paintDc = dc;
  DispatchToScreen(screen_, WM_PAINT, 0, 0);
  if (LiveScreen(screen_) != nullptr) {
    screen_->paintDc = nullptr;
  }
  FreePaintDc(dc);
}

SoftKeyPopup::SoftKeyPopup(ScreenWindow* screen, QWidget* parent)
    : QWidget(parent), screen_(screen) {
  setFocusPolicy(Qt::NoFocus);
  setFont(ScreenFont());
  hide();
}

void SoftKeyPopup::Open(const SoftKey& key, bool onLeft) {
  entries_.assign(key.popup.begin(), key.popup.end());
  openedBy_ = CaptionOf(key);
  highlighted_ = 0;
  const QFontMetrics metrics(font());
  int width = 0;
  for (int i = 0; i < EntryCount(); ++i) {
    width = std::max(width, metrics.horizontalAdvance(EntryText(i)));
  }
  width = std::min(width + 2 * kPopupPadding + 2, kFrameWidth);
  const int rowHeight = metrics.height() + 2;
  const int height = std::min(rowHeight * EntryCount() + 2, ClientAreaHeight());
  const int x = onLeft ? 0 : kFrameWidth - width;
  setGeometry(x, kCaptionHeight + ClientAreaHeight() - height, width, height);
  show();
  raise();
  update();
  QAccessibleEvent opened(this, QAccessible::PopupMenuStart);
  QAccessible::updateAccessibility(&opened);
  TellHighlight();
}

// A screen reader follows the highlighted entry as it follows the focus.
void SoftKeyPopup::TellHighlight() {
  if (entries_.empty()) {
    return;
  }
  QAccessibleEvent focused(this, QAccessible::Focus);
  focused.setChild(highlighted_);
  QAccessible::updateAccessibility(&focused);
}

void SoftKeyPopup::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  QAccessibleEvent closed(this, QAccessible::PopupMenuEnd);
  QAccessible::updateAccessibility(&closed);
  // The focus a screen reader followed into the popup goes back to the control it left.
  QWidget* back =
      parentWidget()->focusWidget() != nullptr ? parentWidget()->focusWidget() : parentWidget();
  if (back->isVisible()) {
    QAccessibleEvent focused(back, QAccessible::Focus);
    QAccessible::updateAccessibility(&focused);
  }
}

void SoftKeyPopup::MoveHighlight(int step) {
  if (entries_.empty()) {
    return;
  }
  highlighted_ = (highlighted_ + step + EntryCount()) % EntryCount();
  update();
  TellHighlight();
}

int SoftKeyPopup::CommandOf(int index) const {
  if (index < 0 || index >= EntryCount()) {
    return 0;
  }
  return entries_[static_cast<std::size_t>(index)].command;
}

QString SoftKeyPopup::EntryText(int index) const {
  if (index < 0 || index >= EntryCount()) {
    return {};
  }
  return QString::number(index + 1) + " " + EntryCaption(index);
}

QString SoftKeyPopup::EntryCaption(int index) const {
  if (index < 0 || index >= EntryCount()) {
    return {};
  }
  return ToQString(entries_[static_cast<std::size_t>(index)].caption);
}

QRect SoftKeyPopup::EntryRect(int index) const {
  const int rowHeight = QFontMetrics(font()).height() + 2;
  return QRect(1, 1 + index * rowHeight, width() - 2, rowHeight);
}

void SoftKeyPopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kDefaultBackground);
  painter.setPen(Qt::black);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  for (int i = 0; i < EntryCount(); ++i) {
    const QRect row = EntryRect(i);
    if (i == highlighted_) {
      painter.fillRect(row, kHighlight);
      painter.setPen(Qt::white);
    } else {
      painter.setPen(Qt::black);
    }
    painter.drawText(row.adjusted(kPopupPadding, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     EntryText(i));
  }
}

void SoftKeyPopup::mousePressEvent(QMouseEvent* event) {
  for (int i = 0; i < EntryCount(); ++i) {
    if (EntryRect(i).contains(event->position().toPoint())) {
      ChoosePopupEntry(screen_, i);
      return;
    }
  }
}

PhoneFrame::PhoneFrame(ScreenWindow* screen, const QString& caption)
    : QWidget(ProgramWindow()->Stage()), screen_(screen), caption_(caption) {
  hide();
  setGeometry(0, 0, kFrameWidth, FrameHeight());
  setFont(ScreenFont());
  setFocusPolicy(Qt::NoFocus);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kDefaultBackground);
  colours.setColor(QPalette::WindowText, Qt::black);
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  setPalette(colours);
  scrolls_ = screen->dialog != nullptr && (screen->dialog->style & kDialogVerticalScroll) != 0;
  area_ = new QScrollArea(this);
  area_->setFrameShape(QFrame::NoFrame);
  area_->setFocusPolicy(Qt::NoFocus);
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area_->setGeometry(0, kCaptionHeight, kFrameWidth, ClientAreaHeight());
  area_->setWidgetResizable(false);
  client_ = new ScreenClient(screen, nullptr);
  area_->setWidget(client_);
  if (scrolls_) {
    makeScrollBar();
    // A finger drags a long form and flicks it on, wherever it lies on the form. A press
    // reaches the control under it at once (a field takes the focus, the calendar opens):
    // only the lists hold presses back to tell a tap from a drag.
    QScroller::grabGesture(area_->viewport(), QScroller::LeftMouseButtonGesture);
    QScrollerProperties flicking = QScroller::scroller(area_->viewport())->scrollerProperties();
    flicking.setScrollMetric(QScrollerProperties::MousePressEventDelay, 0);
    QScroller::scroller(area_->viewport())->setScrollerProperties(flicking);
  }
  popup_ = new SoftKeyPopup(screen, this);
}

// The bar stands in the client area's right edge, which a scrolling screen leaves out of its
// layout (GetClientRect is narrower by the bar). It moves with the area's own (hidden) bar,
// which focus moves and the wheel already scroll, and scrolls the area when dragged or clicked.
void PhoneFrame::makeScrollBar() {
  QScrollBar* inner = area_->verticalScrollBar();
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->setStyleSheet(QString::fromLatin1(kSlimScrollBarStyle));
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  scrollBar_->setGeometry(kFrameWidth - kScrollBarWidth, kCaptionHeight, kScrollBarWidth,
                          ClientAreaHeight());
  scrollBar_->hide();
  connect(inner, &QScrollBar::rangeChanged, this, [this] { followScrollRange(); });
  connect(inner, &QScrollBar::valueChanged, scrollBar_, &QScrollBar::setValue);
  connect(scrollBar_, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
  followScrollRange();
}

void PhoneFrame::followScrollRange() {
  const QScrollBar* inner = area_->verticalScrollBar();
  scrollBar_->setRange(inner->minimum(), inner->maximum());
  scrollBar_->setPageStep(inner->pageStep());
  scrollBar_->setSingleStep(inner->singleStep());
  scrollBar_->setValue(inner->value());
  // Made after the area and before the popup: it stacks above the content, below the popup.
  scrollBar_->setVisible(inner->maximum() > inner->minimum());
}

void PhoneFrame::SetCaption(const QString& caption) {
  caption_ = caption;
  ProgramWindow()->UpdateTitle();
  update(0, 0, kFrameWidth, kCaptionHeight);
}

void PhoneFrame::FitClient(bool fullScreen) {
  fullScreen_ = fullScreen;
  client_->resize(kFrameWidth, std::max(client_->height(), ClientAreaHeight()));
  UpdateContentHeight();
}

// The window's shape changed the frame's height: the client area takes the difference, and
// the screen hears of its new size as a window does (WM_SIZE), so that a list fills it again.
void PhoneFrame::FitHeight() {
  if (height() == FrameHeight()) {
    return;
  }
  popup_->hide();
  resize(kFrameWidth, FrameHeight());
  area_->resize(kFrameWidth, ClientAreaHeight());
  if (scrollBar_ != nullptr) {
    scrollBar_->resize(kScrollBarWidth, ClientAreaHeight());
  }
  UpdateContentHeight();
  if (LiveScreen(screen_) == nullptr || screen_->ended) {
    return;
  }
  const SIZE client = ClientSizeOf(screen_);
  DispatchToScreen(screen_, WM_SIZE, 0,
                   MAKELPARAM(static_cast<WORD>(client.cx), static_cast<WORD>(client.cy)));
  // A shorter window (an on-screen keyboard took the rest) keeps the field being typed in view.
  if (LiveScreen(screen_) != nullptr) {
    EnsureVisible(client_->focusWidget());
  }
}

// A scrolling screen is as tall as its lowest control; any other screen is cut at the frame.
void PhoneFrame::UpdateContentHeight() {
  int height = fullScreen_ ? ClientAreaHeight() : std::min(client_->height(), ClientAreaHeight());
  if (scrolls_) {
    for (QWidget* child : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      height = std::max(height, child->geometry().bottom() + 3);
    }
  }
  if (client_->height() != height) {
    client_->resize(client_->width(), height);
  }
}

void PhoneFrame::EnsureVisible(QWidget* child) {
  if (scrolls_ && child != nullptr && client_->isAncestorOf(child)) {
    area_->ensureWidgetVisible(child, 0, 2);
  }
}

QRect PhoneFrame::SoftKeyRect(bool left) const {
  const int half = kFrameWidth / 2;
  return QRect(left ? 0 : half, height() - kBarHeight, half, kBarHeight);
}

QString PhoneFrame::SoftKeyCaption(bool left) const {
  BarWindow* bar = LiveBar(screen_->bar);
  if (bar == nullptr || bar->resource == nullptr) {
    return {};
  }
  return CaptionOf(left ? bar->resource->left : bar->resource->right);
}

void PhoneFrame::ShiftContent(int offset) {
  const QPoint step(offset - shift_, 0);
  shift_ = offset;
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->move(child->pos() + step);
  }
  update();
}

void PhoneFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kDefaultBackground);  // the edge a shake uncovers
  painter.translate(shift_, 0);
  painter.fillRect(0, 0, kFrameWidth, kCaptionHeight, kStripColour);
  painter.fillRect(0, height() - kBarHeight, kFrameWidth, kBarHeight, kStripColour);
  painter.setPen(kStripText);
  painter.setFont(ScreenFont());
  painter.drawText(QRect(4, 0, kFrameWidth - 8, kCaptionHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   caption_);
  QFont bold = ScreenFont();
  bold.setBold(true);
  painter.setFont(bold);
  painter.drawText(SoftKeyRect(true).adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   SoftKeyCaption(true));
  painter.drawText(SoftKeyRect(false).adjusted(0, 0, -4, 0), Qt::AlignVCenter | Qt::AlignRight,
                   SoftKeyCaption(false));
}

void PhoneFrame::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint() - QPoint(shift_, 0);
  if (popup_->IsOpen()) {
    popup_->hide();
    return;
  }
  if (SoftKeyRect(true).contains(at)) {
    PressSoftKey(screen_, true);
  } else if (SoftKeyRect(false).contains(at)) {
    PressSoftKey(screen_, false);
  }
}

void PressSoftKey(ScreenWindow* screen, bool left) {
  if (LiveScreen(screen) == nullptr || screen->ended || screen->frame == nullptr) {
    return;
  }
  BarWindow* bar = LiveBar(screen->bar);
  if (bar == nullptr || bar->resource == nullptr) {
    return;
  }
  const SoftKey& key = left ? bar->resource->left : bar->resource->right;
  if (key.caption == nullptr) {
    return;
  }
  SoftKeyPopup* popup = screen->frame->Popup();
  if (popup->IsOpen()) {
    popup->hide();
    return;
  }
  if (!key.popup.empty()) {
    popup->Open(key, left);
    return;
  }
  DispatchToScreen(screen, WM_COMMAND, static_cast<WPARAM>(key.command), 0);
}

void ChoosePopupEntry(ScreenWindow* screen, int index) {
  if (LiveScreen(screen) == nullptr || screen->frame == nullptr) {
    return;
  }
  SoftKeyPopup* popup = screen->frame->Popup();
  const int command = popup->CommandOf(index);
  if (command == 0) {
    return;
  }
  // The popup closes before the command runs: the command may open another screen.
  popup->hide();
  DispatchToScreen(screen, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

PhoneWindow::PhoneWindow() : QWidget(nullptr), view_(new QGraphicsView(this)), stage_(new QWidget) {
  setWindowTitle(QStringLiteral("Pelorin"));
  resize(kFrameWidth, kFrameHeight);
  SetFrameHeight(kFrameHeight);
  stage_->setFocusPolicy(Qt::NoFocus);
  stage_->setObjectName(QLatin1String(kStageName));
  stage_->resize(kFrameWidth, kFrameHeight);
  auto* scene = new QGraphicsScene(this);
  scene->addWidget(stage_);  // the scene owns it from here
  scene->setSceneRect(0, 0, kFrameWidth, kFrameHeight);
  view_->setScene(scene);
  view_->setFrameShape(QFrame::NoFrame);
  view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view_->setAlignment(Qt::AlignCenter);
  view_->setBackgroundBrush(kOutsideFrame);
  view_->setRenderHints(QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
  view_->setGeometry(rect());
  // Keys go to the view, which hands them to the focused control on the stage.
  setFocusProxy(view_);
}

qreal PhoneWindow::stageScale() const {
  return std::min(static_cast<qreal>(width()) / kFrameWidth,
                  static_cast<qreal>(height()) / kFrameHeight);
}

// The width sets the scale; what the window has below the phone's shape makes the frames
// taller, to the last whole logical pixel.
void PhoneWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  view_->setGeometry(rect());
  const qreal scale = stageScale();
  view_->setTransform(QTransform::fromScale(scale, scale));
  SetFrameHeight(static_cast<int>(height() / scale + 1e-6));
  if (stage_->height() == FrameHeight()) {
    return;
  }
  stage_->resize(kFrameWidth, FrameHeight());
  view_->scene()->setSceneRect(0, 0, kFrameWidth, FrameHeight());
  for (auto* frame : stage_->findChildren<PhoneFrame*>(Qt::FindDirectChildrenOnly)) {
    frame->FitHeight();
  }
}

void PhoneWindow::Present(PhoneFrame* frame, bool onTop, bool firstShow) {
  for (auto* other : stage_->findChildren<PhoneFrame*>(Qt::FindDirectChildrenOnly)) {
    if (other != frame) {
      other->hide();
    }
  }
  frame->show();
  frame->raise();
  if (cover_ != nullptr) {
    cover_->raise();
  }
  if (onTop != windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  }
  UpdateTitle();
  show();
  // Headless platforms stack nothing.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    raise();
  }
  activateWindow();
  // The window's description is what the newest screen says (an incoming call's caller): a
  // screen reader hears it as the screen comes up.
  QAccessibleEvent described(this, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&described);
  if (cover_ != nullptr) {
    return;
  }
  QWidget* focus = frame->focusWidget() != nullptr ? frame->focusWidget() : frame;
  if (firstShow) {
    // The procedure chose the focus while the frame was hidden, and a hidden control that takes
    // the focus does not set itself up for typing (a date picker picks no part): it takes it
    // again now, as a control a person moved to.
    focus->clearFocus();
    focus->setFocus(Qt::OtherFocusReason);
  } else {
    focus->setFocus(Qt::ActiveWindowFocusReason);
  }
}

void PhoneWindow::SetCover(QWidget* cover) {
  cover_ = cover;
  UpdateTitle();
}

void PhoneWindow::UpdateTitle() {
  QString title;
  if (cover_ != nullptr) {
    title = cover_->windowTitle();
  } else if (ScreenWindow* screen = NewestScreenWindow(); screen != nullptr && screen->frame) {
    title = screen->frame->Caption();
  }
  setWindowTitle(title.isEmpty() ? QStringLiteral("Pelorin") : title);
}

// The desktop's close button closes an open message box; otherwise it asks the newest screen to
// cancel, as the phone's dialog manager turns a close into command 2. A screen that ignores
// command 2 stays open.
void PhoneWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (cover_ != nullptr) {
    cover_->close();
    return;
  }
  ScreenWindow* screen = NewestScreenWindow();
  if (screen != nullptr && !screen->ended) {
    DispatchToScreen(screen, WM_COMMAND, IDCANCEL, 0);
  }
}

namespace {

QPointer<PhoneWindow>& CurrentWindow() {
  static QPointer<PhoneWindow> window;
  return window;
}

}  // namespace

PhoneWindow* ProgramWindow() {
  if (CurrentWindow() == nullptr) {
    CurrentWindow() = new PhoneWindow;
  }
  return CurrentWindow();
}

QWidget* OpenCover() {
  return CurrentWindow() != nullptr ? CurrentWindow()->Cover() : nullptr;
}

// The next screen gets a new window, which the desktop (or the compositor) activates and puts
// in front as any new window.
void EndProgramWindowWhenEmpty() {
  PhoneWindow* window = CurrentWindow();
  if (window == nullptr || NewestScreenWindow() != nullptr || window->Cover() != nullptr) {
    return;
  }
  window->hide();
  CurrentWindow() = nullptr;
  window->deleteLater();
}

PhoneFrame* FrameOf(HWND__* window) {
  if (window == nullptr || window->screen == nullptr) {
    return nullptr;
  }
  return window->screen->frame.data();
}
