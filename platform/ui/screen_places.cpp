// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the stage's widgets show on the screen, in its pixels.
#include "platform/ui/internal/screen_places.h"

#include <QAccessible>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QWidget>

namespace {

// Where a point of the widget shows on the screen, in Qt's device-independent pixels.
QPointF GlobalPoint(const QWidget* widget, const QPointF& point) {
  QGraphicsView* view = ViewOf(widget);
  if (view == nullptr) {
    return widget->mapToGlobal(point);
  }
  const QWidget* top = widget->window();
  const QPointF inScene = top->graphicsProxyWidget()->mapToScene(widget->mapTo(top, point));
  return view->viewport()->mapToGlobal(view->viewportTransform().map(inScene));
}

}  // namespace

QGraphicsView* ViewOf(const QWidget* widget) {
  const QGraphicsProxyWidget* proxy = widget->window()->graphicsProxyWidget();
  if (proxy == nullptr || proxy->scene() == nullptr || proxy->scene()->views().isEmpty()) {
    return nullptr;
  }
  return proxy->scene()->views().constFirst();
}

QRect ScreenRect(const QWidget* widget, const QRect& area) {
  if (widget == nullptr || !widget->isVisible()) {
    return {};
  }
  QGraphicsView* view = ViewOf(widget);
  const qreal ratio = (view != nullptr ? view->window() : widget->window())->devicePixelRatioF();
  const QPointF first = GlobalPoint(widget, QPointF(area.topLeft())) * ratio;
  const QPointF last =
      GlobalPoint(widget, QPointF(area.x() + area.width(), area.y() + area.height())) * ratio;
  return QRect(QPoint(qRound(first.x()), qRound(first.y())),
               QPoint(qRound(last.x()) - 1, qRound(last.y()) - 1));
}

QRect ScreenRect(const QWidget* widget) {
  return widget != nullptr ? ScreenRect(widget, widget->rect()) : QRect();
}

QAccessibleInterface* ChildAtPoint(const QAccessibleInterface* parent, int x, int y) {
  for (int i = parent->childCount() - 1; i >= 0; --i) {
    QAccessibleInterface* child = parent->child(i);
    if (child != nullptr && !child->state().invisible && child->rect().contains(x, y)) {
      return child;
    }
  }
  return nullptr;
}

QPoint LocalPoint(const QWidget* widget, const QPoint& screenPoint) {
  QGraphicsView* view = ViewOf(widget);
  const qreal ratio = (view != nullptr ? view->window() : widget->window())->devicePixelRatioF();
  const QPointF global = QPointF(screenPoint) / ratio;
  if (view == nullptr) {
    return widget->mapFromGlobal(global).toPoint();
  }
  const QWidget* top = widget->window();
  const QPointF inScene =
      view->viewportTransform().inverted().map(view->viewport()->mapFromGlobal(global));
  const QPointF onTop = top->graphicsProxyWidget()->mapFromScene(inScene);
  return widget->mapFrom(top, onTop).toPoint();
}
