// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the template controls as windows that take messages.
#include <QColor>
#include <QFont>
#include <string>

#include "platform/ui/internal/windows.h"

class QPainter;

// Makes the control on the screen's window, with its id, kind, text and style facts.
ControlWindow* CreateTemplateControl(ScreenWindow* screen, const ControlTemplate& control,
                                     const QFont& font);
LRESULT ControlMessage(ControlWindow* control, UINT message, WPARAM wParam, LPARAM lParam);
void SetControlText(ControlWindow* control, const std::u16string& text);
std::u16string ControlText(const ControlWindow* control);
// What of its text the control shows now: an edit field's visible stretch, a static text's
// text as drawn (cut with an ellipsis when it is too long for its one line).
std::u16string ShownControlText(const ControlWindow* control);
// Names each field (an edit field, a date or time picker) for a screen reader by the caption
// above it: the nearest static text that ends above it, or group box that frames it, across
// its width ("Call from", "Ring Time"). Runs once the screen's controls are all made.
void NameFieldsByCaptions(ScreenWindow* screen);
bool NamesField(const ControlWindow* control);
// Whether Up and Down move the focus past the control (a list moves its own selection).
bool TakesTabStop(const HWND__* window);

// WM_SETFONT and WM_SETREDRAW, which every window with a widget takes the same way.
bool CommonWindowMessage(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* result);

// Asks the screen for the static control's colours (WM_CTLCOLORSTATIC) on a device context
// that paints with `painter`. `filled` when the screen answered with a brush; `opaqueText`
// when it left the text background opaque.
QColor ControlBackground(ControlWindow* control, QPainter* painter, bool* filled, bool* opaqueText);
