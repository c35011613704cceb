// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The template controls: edit fields, automatic check boxes, group boxes, static texts, static
// icons and date pickers, each a Qt widget on the screen's window with the control's id.
#include "platform/ui/controls.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionComplex>
#include <QToolButton>
#include <algorithm>

#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/frame_metrics.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/on_screen_keyboard.h"
#include "platform/ui/internal/text.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/messages.h"

namespace {

// A static control: never takes the focus or the mouse, and stands on the background the screen
// gives it with WM_CTLCOLORSTATIC, as the pale screens do; the text or icon goes on top.
class StaticControl : public QWidget {
 public:
  StaticControl(ControlWindow* control, QWidget* parent) : QWidget(parent), control_(control) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  // Paints over the background; `opaqueText` when the screen coloured the control but left the
  // text background opaque.
  virtual void paintFace(QPainter& painter, bool opaqueText) = 0;

  void paintEvent(QPaintEvent*) override {
    if (LiveControl(control_) == nullptr) {
      return;
    }
    QPainter painter(this);
    bool filled = false;
    bool opaqueText = false;
    const QColor background = ControlBackground(control_, &painter, &filled, &opaqueText);
    if (filled) {
      painter.fillRect(rect(), background);
    }
    paintFace(painter, filled && opaqueText);
  }

  ControlWindow* control_;
};

// Room between a static text's edges (or its sunken edge) and its text, on either side: as
// much as the caption strip and the soft keys leave.
constexpr int kTextInset = 4;

// Where a static text's words go: inside its sunken edge, if it has one, and the inset.
QRect StaticTextArea(const ControlWindow* control) {
  QRect area = control->widget->rect();
  if (control->style & kControlEdged) {
    area.adjust(1, 1, -1, -1);
  }
  return area.adjusted(kTextInset, 0, -kTextInset, 0);
}

// On a control one line high, a text longer than the line is cut with an ellipsis, so a long
// name shows that it goes on; a taller control wraps it.
bool CutsToOneLine(const ControlWindow* control, const QString& text) {
  const QFontMetrics metrics(control->widget->font());
  const QRect area = StaticTextArea(control);
  return area.height() < 2 * metrics.lineSpacing() &&
         metrics.horizontalAdvance(text) > area.width();
}

QString StaticTextShown(const ControlWindow* control) {
  const QString text = ToQString(control->text);
  if (!CutsToOneLine(control, text)) {
    return text;
  }
  return QFontMetrics(control->widget->font())
      .elidedText(text, Qt::ElideRight, StaticTextArea(control).width());
}

// A static text draws its text itself, so that it can stand on the screen's colour.
class StaticText : public StaticControl {
 public:
  using StaticControl::StaticControl;

 protected:
  void paintFace(QPainter& painter, bool opaqueText) override {
    if (opaqueText) {
      // A screen that colours the control but leaves the text background opaque gets the
      // text on the device context's own background colour, as on the phone.
      painter.setBackgroundMode(Qt::OpaqueMode);
      painter.setBackground(Qt::white);
    } else {
      painter.setBackgroundMode(Qt::TransparentMode);
    }
    if (control_->style & kControlEdged) {
      painter.setPen(QColor(0x80, 0x80, 0x80));
      painter.drawLine(0, 0, width() - 1, 0);
      painter.drawLine(0, 0, 0, height() - 1);
      painter.setPen(QColor(0xE0, 0xE0, 0xE0));
      painter.drawLine(0, height() - 1, width() - 1, height() - 1);
      painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    }
    const int alignment =
        ((control_->style & kControlCentred) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
    const QString text = ToQString(control_->text);
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(StaticTextArea(control_),
                     CutsToOneLine(control_, text) ? alignment : alignment | Qt::TextWordWrap,
                     StaticTextShown(control_));
  }
};

class StaticIcon : public StaticControl {
 public:
  using StaticControl::StaticControl;

 protected:
  void paintFace(QPainter& painter, bool /*opaqueText*/) override {
    if (HICON icon = LoadIconW(control_->instance, control_->iconId)) {
      painter.drawPixmap(0, 0, icon->picture);
    }
  }
};

QDate DateOf(const SYSTEMTIME& time) {
  return QDate(time.wYear, time.wMonth, time.wDay);
}
QTime TimeOf(const SYSTEMTIME& time) {
  return QTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
}

WORD DayOfWeek(const QDate& date) {
  return static_cast<WORD>(date.dayOfWeek() % 7);
}

bool IsPicker(const ControlWindow* control) {
  return control->controlKind == ControlKind::kDatePicker;
}
bool ShowsTime(const ControlWindow* control) {
  return control->style & kControlTimeFormat;
}

void ShowPickerValue(ControlWindow* control) {
  auto* editor = qobject_cast<QDateTimeEdit*>(control->widget);
  if (editor == nullptr) {
    return;
  }
  control->settingTime = true;
  editor->setDateTime(QDateTime(DateOf(control->time), TimeOf(control->time)));
  control->settingTime = false;
}

// A person changed the part the picker shows; the rest of the value stays.
void TakePickerEdit(ControlWindow* control, const QDateTime& shown) {
  if (control->settingTime) {
    return;
  }
  SYSTEMTIME& time = control->time;
  if (ShowsTime(control)) {
    time.wHour = static_cast<WORD>(shown.time().hour());
    time.wMinute = static_cast<WORD>(shown.time().minute());
    time.wSecond = static_cast<WORD>(shown.time().second());
  } else {
    time.wYear = static_cast<WORD>(shown.date().year());
    time.wMonth = static_cast<WORD>(shown.date().month());
    time.wDay = static_cast<WORD>(shown.date().day());
    time.wDayOfWeek = DayOfWeek(shown.date());
  }
}

// A date picker's calendar opens as a window of its own, by default wider than the phone's
// frame and below the field, past the frame's bottom. It takes the picker's font, drops the
// week numbers, names the days by one letter, and opens inside the frame, over the client area
// when it fits there.
class CalendarFit : public QObject {
 public:
  CalendarFit(QDateTimeEdit* editor, QWidget* popup) : QObject(popup), editor_(editor) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched == parent()) {
      fit(static_cast<QWidget*>(watched));
    } else if (event->type() == QEvent::Hide && watched == parent() && editor_->isVisible()) {
      // The calendar lies on the window's stage, which gives the focus back to nothing when it
      // closes: the picker takes it, as it does from a calendar of a window of its own.
      editor_->setFocus(Qt::PopupFocusReason);
    }
    return false;
  }

 private:
  void fit(QWidget* popup) {
    popup->setFont(editor_->font());
    popup->adjustSize();
    // Over the client area, between the caption strip and the soft-key bar, where it fits. The
    // popup's place is on the desktop; the frame's measures are the phone's, however large the
    // window shows them.
    const QWidget* frame = editor_->window();
    QRect area(QPoint(0, 0), frame->size());
    if (popup->height() <= ClientAreaHeight()) {
      area.adjust(0, kCaptionHeight, 0, -kBarHeight);
    }
    const QSize size = popup->size().boundedTo(area.size());
    QPoint at = frame->mapFromGlobal(popup->pos());
    at.setX(std::clamp(at.x(), area.left(), area.right() + 1 - size.width()));
    at.setY(std::clamp(at.y(), area.top(), area.bottom() + 1 - size.height()));
    popup->setGeometry(QRect(frame->mapToGlobal(at), size));
  }

  QDateTimeEdit* editor_;
};

void FitCalendarToFrame(QDateTimeEdit* editor) {
  QCalendarWidget* calendar = editor->calendarWidget();
  calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
  QWidget* popup = calendar->window();
  popup->installEventFilter(new CalendarFit(editor, popup));
}

// A fingertip's width in the frame's pixels: 41 screen pixels at a phone's 360.
constexpr int kFingerButtonWidth = 20;

// On a finger's screen a field's buttons are a fingertip wide and as tall as the field: the
// date field's calendar button, and the time field's two arrows side by side at its right end
// (down, then up), each stepping the part the cursor is in.
class FingerFieldStyle : public QProxyStyle {
 public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override {
    const QRect field = option->rect;
    const int button = kFingerButtonWidth;
    QRect place;
    if (control == CC_SpinBox && part == SC_SpinBoxUp) {
      place = QRect(field.right() + 1 - button, field.top(), button, field.height());
    } else if (control == CC_SpinBox && part == SC_SpinBoxDown) {
      place = QRect(field.right() + 1 - 2 * button, field.top(), button, field.height());
    } else if (control == CC_SpinBox && part == SC_SpinBoxEditField) {
      place = field.adjusted(2, 2, -2 * button - 1, -2);
    } else if (control == CC_ComboBox && part == SC_ComboBoxArrow) {
      place = QRect(field.right() + 1 - button, field.top(), button, field.height());
    } else if (control == CC_ComboBox && part == SC_ComboBoxEditField) {
      place = field.adjusted(2, 2, -button - 1, -2);
    } else {
      return QProxyStyle::subControlRect(control, option, part, widget);
    }
    return visualRect(option->direction, field, place);
  }
};

// The digits of a time stand apart, so that each part is a finger's width for the tap that
// picks it; the field's own font (the screen may set another) still gives the rest.
void FitPickerToFinger(QDateTimeEdit* editor, bool showsTime) {
  static QPointer<FingerFieldStyle> style;
  if (style == nullptr) {
    style = new FingerFieldStyle;
    style->setParent(QApplication::instance());
  }
  editor->setStyle(style);
  if (showsTime) {
    QFont spaced;
    spaced.setLetterSpacing(QFont::PercentageSpacing, 140);
    editor->findChild<QLineEdit*>()->setFont(spaced);
  }
  if (editor->calendarPopup()) {
    // The month's arrows in the calendar's heading a fingertip each way, and each of its
    // seven rows (the days' letters, six weeks) a fingertip high under the heading.
    QCalendarWidget* calendar = editor->calendarWidget();
    for (auto* button : calendar->findChildren<QToolButton*>()) {
      button->setMinimumSize(kFingerButtonWidth, kFingerButtonWidth);
    }
    calendar->setMinimumHeight(kFingerButtonWidth + 7 * kFingerButtonWidth);
  }
}

QWidget* MakePicker(ControlWindow* control, QWidget* parent) {
  auto* editor = new QDateTimeEdit(parent);
  // Formats of the program's own, all digits and two per part but the year: a locale's short
  // date may name the month ("7 Dec 2026") or cut the year, and then typing stops at that part.
  if (ShowsTime(control)) {
    editor->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  } else {
    editor->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    if (!(control->style & kControlUpDown)) {
      editor->setCalendarPopup(true);
      FitCalendarToFrame(editor);
    }
  }
  editor->setButtonSymbols((control->style & kControlUpDown) ? QAbstractSpinBox::UpDownArrows
                                                             : QAbstractSpinBox::NoButtons);
  if (FingerSized()) {
    FitPickerToFinger(editor, ShowsTime(control));
  }
  editor->setMinimumDate(QDate(1601, 1, 1));
  const QDateTime now = QDateTime::currentDateTime();
  control->time = SYSTEMTIME{static_cast<WORD>(now.date().year()),
                             static_cast<WORD>(now.date().month()),
                             DayOfWeek(now.date()),
                             static_cast<WORD>(now.date().day()),
                             static_cast<WORD>(now.time().hour()),
                             static_cast<WORD>(now.time().minute()),
                             static_cast<WORD>(now.time().second()),
                             0};
  control->widget = editor;
  ShowPickerValue(control);
  QObject::connect(editor, &QDateTimeEdit::dateTimeChanged, [control](const QDateTime& shown) {
    if (LiveControl(control) != nullptr) {
      TakePickerEdit(control, shown);
    }
  });
  return editor;
}

void NotifyScreen(ControlWindow* control, WORD notification) {
  if (LiveControl(control) == nullptr) {
    return;
  }
  DispatchToScreen(control->screen, WM_COMMAND,
                   MAKEWPARAM(static_cast<WORD>(control->id), notification),
                   reinterpret_cast<LPARAM>(static_cast<HWND>(control)));
}

// A finger has no action key: on a field that shows a choice made on another screen, a tap
// takes the focus and presses it there.
class ActionOnTap : public QObject {
 public:
  ActionOnTap(ControlWindow* control, QObject* parent) : QObject(parent), control_(control) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      pressedAt_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    } else if (event->type() == QEvent::MouseButtonRelease) {
      const auto* release = static_cast<QMouseEvent*>(event);
      if (release->button() == Qt::LeftButton &&
          (release->position().toPoint() - pressedAt_).manhattanLength() <
              QApplication::startDragDistance() &&
          LiveControl(control_) != nullptr) {
        static_cast<QWidget*>(watched)->setFocus(Qt::MouseFocusReason);
        DispatchToScreen(control_->screen, WM_COMMAND, IDOK, 0);
        return true;
      }
    }
    return false;
  }

 private:
  ControlWindow* control_;
  QPoint pressedAt_;
};

QWidget* MakeWidget(ControlWindow* control, QWidget* parent) {
  const QString text = ToQString(control->text);
  switch (control->controlKind) {
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(text, parent);
      edit->setFrame(control->style & kControlBorder);
      QObject::connect(edit, &QLineEdit::textChanged,
                       [control] { NotifyScreen(control, EN_CHANGE); });
      if (control->style & kControlTapActs) {
        edit->installEventFilter(new ActionOnTap(control, edit));
        edit->setProperty(kShowsChoiceProperty, true);  // no on-screen keyboard for it
      }
      return edit;
    }
    case ControlKind::kAutoCheckBox: {
      auto* box = new QCheckBox(text, parent);
      if (control->style & kControlTextLeft) {
        box->setLayoutDirection(Qt::RightToLeft);
      }
      QObject::connect(box, &QCheckBox::clicked, [control] { NotifyScreen(control, BN_CLICKED); });
      return box;
    }
    case ControlKind::kGroupBox: {
      auto* group = new QGroupBox(text, parent);
      group->setAlignment((control->style & kControlCentred) ? Qt::AlignHCenter : Qt::AlignLeft);
      // As on the phone, a group box is only drawn: clicks go to what it frames.
      group->setAttribute(Qt::WA_TransparentForMouseEvents);
      return group;
    }
    case ControlKind::kStaticText:
      return new StaticText(control, parent);
    case ControlKind::kStaticIcon:
      return new StaticIcon(control, parent);
    case ControlKind::kDatePicker:
      return MakePicker(control, parent);
  }
  return nullptr;
}

}  // namespace

ControlWindow* CreateTemplateControl(ScreenWindow* screen, const ControlTemplate& made,
                                     const QFont& font) {
  auto* control = new ControlWindow;
  control->id = made.id;
  control->controlKind = made.kind;
  control->style = made.style;
  control->text = made.text != nullptr ? std::u16string(made.text) : std::u16string();
  control->iconId = made.iconId;
  control->instance = screen->instance;
  control->screen = screen;
  QWidget* widget = MakeWidget(control, screen->widget);
  control->widget = widget;
  widget->setFont(font);
  widget->setGeometry(made.x, made.y, made.width, made.height);
  const bool focusable = made.kind == ControlKind::kEdit ||
                         made.kind == ControlKind::kAutoCheckBox ||
                         made.kind == ControlKind::kDatePicker;
  if (!focusable) {
    widget->setFocusPolicy(Qt::NoFocus);
  } else {
    widget->setFocusPolicy((made.style & kControlTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
  }
  if (made.kind == ControlKind::kGroupBox) {
    widget->lower();
  }
  widget->show();
  RegisterWindow(control);
  return control;
}

namespace {

bool IsField(const ControlWindow* control) {
  return control->controlKind == ControlKind::kEdit ||
         control->controlKind == ControlKind::kDatePicker;
}

// The caption of `field`: of the captions above it, the lowest.
ControlWindow* CaptionAbove(ScreenWindow* screen, const QRect& field) {
  ControlWindow* caption = nullptr;
  for (HWND__* child : screen->children) {
    ControlWindow* label = LiveControl(child);
    if (label == nullptr || label->widget == nullptr || label->text.empty()) {
      continue;
    }
    const QRect place = label->widget->geometry();
    const bool across = place.left() <= field.right() && place.right() >= field.left();
    const bool above =
        label->controlKind == ControlKind::kStaticText && place.bottom() < field.top();
    const bool frames = label->controlKind == ControlKind::kGroupBox && place.top() < field.top() &&
                        place.contains(field);
    if (across && (above || frames) &&
        (caption == nullptr || place.top() > caption->widget->geometry().top())) {
      caption = label;
    }
  }
  return caption;
}

}  // namespace

void NameFieldsByCaptions(ScreenWindow* screen) {
  for (HWND__* child : screen->children) {
    ControlWindow* field = LiveControl(child);
    if (field == nullptr || !IsField(field) || field->widget == nullptr ||
        !field->widget->accessibleName().isEmpty()) {
      continue;
    }
    if (ControlWindow* caption = CaptionAbove(screen, field->widget->geometry())) {
      field->widget->setAccessibleName(ToQString(caption->text).trimmed());
      caption->namesField = true;
    }
  }
}

bool NamesField(const ControlWindow* control) {
  return control->namesField;
}

bool TakesTabStop(const HWND__* window) {
  if (window == nullptr || window->kind != WindowKind::kControl || window->widget == nullptr) {
    return false;
  }
  const auto* control = static_cast<const ControlWindow*>(window);
  return (control->style & kControlTabStop) && control->widget->isEnabled() &&
         control->widget->focusPolicy() != Qt::NoFocus;
}

QColor ControlBackground(ControlWindow* control, QPainter* painter, bool* filled,
                         bool* opaqueText) {
  *filled = false;
  HDC dc = MakePaintDc(painter);
  const INT_PTR answer =
      DispatchToScreen(control->screen, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(static_cast<HWND>(control)));
  *opaqueText = LiveDc(dc) != nullptr && dc->backgroundMode == OPAQUE;
  FreePaintDc(dc);
  if (HGDIOBJ__* brush = LiveBrush(reinterpret_cast<const void*>(answer))) {
    *filled = true;
    return brush->colour;
  }
  return {};
}

bool CommonWindowMessage(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* result) {
  *result = 0;
  if (window->widget == nullptr) {
    return false;
  }
  switch (message) {
    case WM_SETFONT:
      if (HGDIOBJ__* font = LiveFont(reinterpret_cast<const void*>(wParam))) {
        window->widget->setFont(font->font);
        if (lParam != 0) {
          window->widget->update();
        }
      }
      return true;
    case WM_SETREDRAW:
      window->widget->setUpdatesEnabled(wParam != FALSE);
      if (wParam != FALSE) {
        window->widget->update();
      }
      return true;
    default:
      return false;
  }
}

LRESULT ControlMessage(ControlWindow* control, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (CommonWindowMessage(control, message, wParam, lParam, &result)) {
    return result;
  }
  switch (message) {
    case BM_GETCHECK:
      if (auto* box = qobject_cast<QCheckBox*>(control->widget)) {
        return box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
      }
      return BST_UNCHECKED;
    case BM_SETCHECK:
      if (auto* box = qobject_cast<QCheckBox*>(control->widget)) {
        box->setChecked(wParam == BST_CHECKED);
      }
      return 0;
    case DTM_GETSYSTEMTIME: {
      auto* time = reinterpret_cast<SYSTEMTIME*>(lParam);
      if (!IsPicker(control) || time == nullptr) {
        return -1;
      }
      *time = control->time;
      return GDT_VALID;
    }
    case DTM_SETSYSTEMTIME: {
      const auto* time = reinterpret_cast<const SYSTEMTIME*>(lParam);
      if (!IsPicker(control) || wParam != static_cast<WPARAM>(GDT_VALID) || time == nullptr ||
          !DateOf(*time).isValid() || !TimeOf(*time).isValid()) {
        return FALSE;
      }
      control->time = *time;
      control->time.wDayOfWeek = DayOfWeek(DateOf(*time));
      ShowPickerValue(control);
      return TRUE;
    }
    default:
      return 0;
  }
}

void SetControlText(ControlWindow* control, const std::u16string& text) {
  control->text = text;
  const QString shown = ToQString(text);
  if (auto* edit = qobject_cast<QLineEdit*>(control->widget)) {
    edit->setText(shown);
  } else if (auto* box = qobject_cast<QCheckBox*>(control->widget)) {
    box->setText(shown);
  } else if (auto* group = qobject_cast<QGroupBox*>(control->widget)) {
    group->setTitle(shown);
  } else if (control->widget != nullptr) {
    control->widget->update();
  }
}

std::u16string ControlText(const ControlWindow* control) {
  if (auto* edit = qobject_cast<QLineEdit*>(control->widget)) {
    return edit->text().toStdU16String();
  }
  if (auto* picker = qobject_cast<QDateTimeEdit*>(control->widget)) {
    return picker->text().toStdU16String();
  }
  return control->text;
}

std::u16string ShownControlText(const ControlWindow* control) {
  if (auto* field = qobject_cast<QLineEdit*>(control->widget)) {
    // The field decides which stretch of a long text shows when it paints.
    field->grab();
    const QRect inside = field->contentsRect();
    const int first = field->cursorPositionAt(QPoint(inside.left() + 2, inside.center().y()));
    const int last = field->cursorPositionAt(QPoint(inside.right() - 2, inside.center().y()));
    return field->text().mid(first, last - first).toStdU16String();
  }
  if (control->controlKind == ControlKind::kStaticText && control->widget != nullptr) {
    return StaticTextShown(control).toStdU16String();
  }
  return ControlText(control);
}
