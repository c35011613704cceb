#pragma once
// Used only inside platform/ui: the template controls, the list view and the soft-key bar as
// windows that take messages.
#include <QColor>
#include <QFont>

class QPainter;
#include <string>

#include "platform/ui/internal/windows.h"

// Makes the control on the screen's window, with its id, kind, text and style facts.
ControlWindow* CreateTemplateControl(ScreenWindow* screen, const ControlTemplate& control,
                                     const QFont& font);
LRESULT ControlMessage(ControlWindow* control, UINT message, WPARAM wParam, LPARAM lParam);
void SetControlText(ControlWindow* control, const std::u16string& text);
std::u16string ControlText(const ControlWindow* control);
// What of its text the control shows now: an edit field's visible stretch, a static text's
// text as drawn (cut with an ellipsis when it is too long for its one line).
std::u16string ShownControlText(const ControlWindow* control);
// Whether Up and Down move the focus past the control (a list moves its own selection).
bool TakesTabStop(const HWND__* window);

LRESULT ListMessage(ListWindow* list, UINT message, WPARAM wParam, LPARAM lParam);
// What a person sees of a report list: the text a cell shows (empty unless its row is wholly
// in sight), and the row at the list's top (-1 when it shows none).
QString ShownListCell(ListWindow* list, int row, int column);
int TopShownListRow(ListWindow* list);
LRESULT BarMessage(BarWindow* bar, UINT message, WPARAM wParam, LPARAM lParam);

// WM_SETFONT and WM_SETREDRAW, which every window with a widget takes the same way.
bool CommonWindowMessage(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* result);

// Asks the screen for the static control's colours (WM_CTLCOLORSTATIC) on a device context
// that paints with `painter`. `filled` when the screen answered with a brush; `opaqueText`
// when it left the text background opaque.
QColor ControlBackground(ControlWindow* control, QPainter* painter, bool* filled, bool* opaqueText);

inline QString ToQString(const std::u16string& text) {
  return QString::fromStdU16String(text);
}
inline QString ToQString(const char16_t* text) {
  return text == nullptr ? QString() : QString::fromUtf16(text);
}
