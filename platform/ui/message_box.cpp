// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Message boxes: modal over the newest screen, with the error icon when asked for.
#include "platform/ui/message_box.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTextOption>
#include <algorithm>

#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/message_box.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/messages.h"

namespace {

const QColor kBoxBackground(Qt::white);
constexpr int kInset = 6;  // between the frame's edges and the box
constexpr int kBoxWidth = kFrameWidth - 2 * kInset;
constexpr int kPadding = 6;
constexpr int kIconSize = 24;
constexpr int kButtonWidth = 56;

}  // namespace

PhoneMessageBox::PhoneMessageBox(QWidget* stage, const QString& caption, const QString& text,
                                 bool errorIcon)
    : QWidget(stage), caption_(caption), text_(text), errorIcon_(errorIcon) {
  hide();
  // The program's window takes it as its title while the box is open: task lists and window
  // searches show it.
  setWindowTitle(caption);
  setAutoFillBackground(true);
  setFont(ScreenFont());
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kBoxBackground);
  colours.setColor(QPalette::WindowText, Qt::black);
  setPalette(colours);
  button_ = new QPushButton(QStringLiteral("OK"), this);
  button_->setDefault(true);
  button_->setAutoDefault(true);
  connect(button_, &QPushButton::clicked, this, &QWidget::close);
  layOutText();
  const int buttonHeight = button_->sizeHint().height();
  const int height =
      std::min(textRect_.bottom() + 1 + kPadding + buttonHeight + kPadding, FrameHeight());
  setFixedSize(kBoxWidth, height);
  button_->setGeometry((kBoxWidth - kButtonWidth) / 2, height - kPadding - buttonHeight,
                       kButtonWidth, buttonHeight);
  // Text that does not fit even the frame's height stops above the button.
  textRect_.setBottom(std::min(textRect_.bottom(), button_->y() - kPadding - 1));
  button_->setFocus(Qt::OtherFocusReason);
}

// Lines break between words where they can and anywhere in a word too long for a line, so
// no text ever runs past the box's edge.
void PhoneMessageBox::layOutText() {
  const int left = errorIcon_ ? kPadding + kIconSize + kPadding : kPadding;
  const int width = kBoxWidth - left - kPadding;
  textLayout_.setText(text_);
  textLayout_.setFont(font());
  QTextOption option(Qt::AlignLeft);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  textLayout_.setTextOption(option);
  textLayout_.beginLayout();
  qreal height = 0;
  for (QTextLine line = textLayout_.createLine(); line.isValid(); line = textLayout_.createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  textLayout_.endLayout();
  const int top = kCaptionHeight + kPadding;
  textRect_ = QRect(left, top, width, std::max(static_cast<int>(height + 0.5), kIconSize));
}

QRect PhoneMessageBox::CaptionRect() const {
  return QRect(0, 0, width(), kCaptionHeight);
}

QRect PhoneMessageBox::ButtonRect() const {
  return button_->geometry();
}

void PhoneMessageBox::placeOverClientArea() {
  move(kInset, std::max(kCaptionHeight + (ClientAreaHeight() - height()) / 2, 0));
}

bool PhoneMessageBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) {
    placeOverClientArea();
  }
  return false;
}

void PhoneMessageBox::Run() {
  placeOverClientArea();
  // The frame's height follows the window's.
  parentWidget()->installEventFilter(this);
  PhoneWindow* window = ProgramWindow();
  ScreenWindow* screen = NewestScreenWindow();
  // The newest screen's control gets its focus back; hiding the box would hand it elsewhere.
  QPointer<QWidget> resume =
      screen != nullptr && screen->frame ? screen->frame->focusWidget() : nullptr;
  window->SetCover(this);
  show();
  raise();
  if (!window->isVisible()) {
    window->show();
  }
  window->activateWindow();
  button_->setFocus(Qt::OtherFocusReason);
  EnterModalLoop();
  loop_.exec();
  LeaveModalLoop();
  window->SetCover(nullptr);
  hide();
  if (resume != nullptr) {
    resume->setFocus(Qt::OtherFocusReason);
  }
  EndProgramWindowWhenEmpty();
}

void PhoneMessageBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
      event->key() == Qt::Key_Enter) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PhoneMessageBox::closeEvent(QCloseEvent* event) {
  event->accept();
  loop_.exit(0);
}

void PhoneMessageBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBoxBackground);
  painter.fillRect(CaptionRect(), kStripColour);
  painter.setPen(Qt::white);
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  const QRect captionText = CaptionRect().adjusted(4, 0, -4, 0);
  painter.drawText(captionText, Qt::AlignVCenter | Qt::AlignLeft,
                   QFontMetrics(bold).elidedText(caption_, Qt::ElideRight, captionText.width()));
  if (errorIcon_) {
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this);
    icon.paint(&painter, QRect(kPadding, textRect_.top(), kIconSize, kIconSize));
  }
  painter.setPen(Qt::black);
  painter.setFont(font());
  painter.save();
  painter.setClipRect(textRect_);
  textLayout_.draw(&painter, textRect_.topLeft());
  painter.restore();
  painter.setPen(kStripColour);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  // The box covers whatever screen is newest, owner or not; a dead owner is still reported.
  CalledWindow(owner, "MessageBoxW");
  PhoneMessageBox box(
      ProgramWindow()->Stage(), caption != nullptr ? QString::fromUtf16(caption) : QString(),
      text != nullptr ? QString::fromUtf16(text) : QString(), (type & MB_ICONERROR) != 0);
  box.Run();
  return IDOK;
}
