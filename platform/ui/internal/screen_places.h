// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: where a widget of the window's stage shows on the screen. The
// view draws the stage scaled, and Qt's own scale factor (QT_SCALE_FACTOR) scales the window
// again, so Qt's own places of the stage's widgets (their mapToGlobal and size) are neither
// the view's nor the screen's. A screen reader, its magnifier and its pointer need the
// screen's pixels.
#include <QPoint>
#include <QRect>

class QAccessibleInterface;
class QGraphicsView;
class QWidget;

// The view that draws a widget of the stage (or of a popup a stage's control opened), or
// nullptr for a widget that is a window of its own.
QGraphicsView* ViewOf(const QWidget* widget);
// Where `area` of the widget shows, in the screen's pixels; nothing for a hidden widget.
QRect ScreenRect(const QWidget* widget, const QRect& area);
QRect ScreenRect(const QWidget* widget);
// Where a point in the screen's pixels lies in the widget's coordinates: ScreenRect backwards.
QPoint LocalPoint(const QWidget* widget, const QPoint& screenPoint);
// The child of `parent` at a point in the screen's pixels.
QAccessibleInterface* ChildAtPoint(const QAccessibleInterface* parent, int x, int y);
