// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Qt's own interfaces of the stage's controls, with their places in the screen's pixels.
#include "platform/ui/internal/stage_control_accessible.h"

#include <QAccessible>
#include <QGraphicsView>
#include <QPointer>
#include <QWidget>
#include <map>

#include "platform/ui/internal/screen_places.h"

namespace {

// Qt's own interface of a control on the stage (a field, a check box, a list), or of a part of
// one without a widget (a list's cell or header), with its place in the screen's pixels;
// everything else is Qt's, the parts it hands out wrapped the same way. A control's wrapper
// owns Qt's interface; a part's belongs to its list, which drops it for a new model, and the
// wrapper then stands for nothing.
class StageControlAccessible : public QAccessibleInterface, public QAccessibleTableInterface {
 public:
  StageControlAccessible(QAccessibleInterface* stock, QWidget* partOf)
      : stock_(stock), stockId_(QAccessible::uniqueId(stock)), partOf_(partOf), isPart_(partOf) {}
  ~StageControlAccessible() override {
    DropParts(false);
    if (!isPart_) {
      QAccessible::deleteAccessibleInterface(stockId_);
    }
  }
  StageControlAccessible(const StageControlAccessible&) = delete;
  StageControlAccessible& operator=(const StageControlAccessible&) = delete;

  bool isValid() const override { return Stock() != nullptr && stock_->isValid(); }
  QObject* object() const override { return Stock() != nullptr ? stock_->object() : nullptr; }
  QWindow* window() const override {
    QWidget* widget = Widget();
    QGraphicsView* view = widget != nullptr ? ViewOf(widget) : nullptr;
    return view != nullptr ? view->window()->windowHandle() : nullptr;
  }
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
      QAccessible::Relation match) const override {
    return Stock() != nullptr ? stock_->relations(match)
                              : QList<QPair<QAccessibleInterface*, QAccessible::Relation>>();
  }
  QAccessibleInterface* focusChild() const override {
    return Stock() != nullptr ? Wrap(stock_->focusChild()) : nullptr;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    QWidget* widget = Widget();
    if (Stock() == nullptr || widget == nullptr) {
      return nullptr;
    }
    const QPoint global = widget->mapToGlobal(LocalPoint(widget, QPoint(x, y)));
    return Wrap(stock_->childAt(global.x(), global.y()));
  }
  QAccessibleInterface* parent() const override {
    return Stock() != nullptr ? stock_->parent() : nullptr;
  }
  QAccessibleInterface* child(int index) const override {
    return Stock() != nullptr ? Wrap(stock_->child(index)) : nullptr;
  }
  int childCount() const override { return Stock() != nullptr ? stock_->childCount() : 0; }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return Stock() != nullptr && child != nullptr ? stock_->indexOfChild(Unwrapped(child)) : -1;
  }
  QString text(QAccessible::Text kind) const override {
    return Stock() != nullptr ? stock_->text(kind) : QString();
  }
  void setText(QAccessible::Text kind, const QString& text) override {
    if (Stock() != nullptr) {
      stock_->setText(kind, text);
    }
  }
  // Qt gives a part's place as the widget's mapToGlobal of its top left plus the part's offset
  // in the widget, unscaled: the offset comes back the same way.
  QRect rect() const override {
    QWidget* widget = Widget();
    if (Stock() == nullptr || widget == nullptr) {
      return {};
    }
    if (!isPart_) {
      return ScreenRect(widget);
    }
    const QRect global = stock_->rect();
    return global.isEmpty()
               ? QRect()
               : ScreenRect(widget, global.translated(-widget->mapToGlobal(QPoint(0, 0))));
  }
  QAccessible::Role role() const override {
    return Stock() != nullptr ? stock_->role() : QAccessible::NoRole;
  }
  QAccessible::State state() const override {
    if (Stock() == nullptr) {
      QAccessible::State gone;
      gone.invalid = true;
      return gone;
    }
    return stock_->state();
  }
  QColor foregroundColor() const override {
    return Stock() != nullptr ? stock_->foregroundColor() : QColor();
  }
  QColor backgroundColor() const override {
    return Stock() != nullptr ? stock_->backgroundColor() : QColor();
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (Stock() == nullptr) {
      return nullptr;
    }
    if (type == QAccessible::TableInterface) {
      return StockTable() != nullptr ? static_cast<QAccessibleTableInterface*>(this) : nullptr;
    }
    return stock_->interface_cast(type);
  }

  // A list's table, with its cells wrapped.
  QAccessibleInterface* caption() const override { return Wrap(StockTable()->caption()); }
  QAccessibleInterface* summary() const override { return Wrap(StockTable()->summary()); }
  QAccessibleInterface* cellAt(int row, int column) const override {
    return Wrap(StockTable()->cellAt(row, column));
  }
  int selectedCellCount() const override { return StockTable()->selectedCellCount(); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> cells = StockTable()->selectedCells();
    for (QAccessibleInterface*& cell : cells) {
      cell = Wrap(cell);
    }
    return cells;
  }
  QString columnDescription(int column) const override {
    return StockTable()->columnDescription(column);
  }
  QString rowDescription(int row) const override { return StockTable()->rowDescription(row); }
  int selectedColumnCount() const override { return StockTable()->selectedColumnCount(); }
  int selectedRowCount() const override { return StockTable()->selectedRowCount(); }
  int columnCount() const override { return StockTable()->columnCount(); }
  int rowCount() const override { return StockTable()->rowCount(); }
  QList<int> selectedColumns() const override { return StockTable()->selectedColumns(); }
  QList<int> selectedRows() const override { return StockTable()->selectedRows(); }
  bool isColumnSelected(int column) const override {
    return StockTable()->isColumnSelected(column);
  }
  bool isRowSelected(int row) const override { return StockTable()->isRowSelected(row); }
  bool selectRow(int row) override { return StockTable()->selectRow(row); }
  bool selectColumn(int column) override { return StockTable()->selectColumn(column); }
  bool unselectRow(int row) override { return StockTable()->unselectRow(row); }
  bool unselectColumn(int column) override { return StockTable()->unselectColumn(column); }
  void modelChange(QAccessibleTableModelChangeEvent* event) override {
    StockTable()->modelChange(event);
    DropParts(true);
  }

 private:
  struct Part {
    StageControlAccessible* wrapper;
    QAccessible::Id id;
  };

  // Qt's interface while it is there (a control's always is).
  QAccessibleInterface* Stock() const {
    return !isPart_ || QAccessible::accessibleInterface(stockId_) == stock_ ? stock_ : nullptr;
  }
  QAccessibleTableInterface* StockTable() const {
    return Stock() != nullptr ? stock_->tableInterface() : nullptr;
  }
  // The widget the places are measured on: the control's own, or a part's control's.
  QWidget* Widget() const {
    return isPart_ ? partOf_.data() : qobject_cast<QWidget*>(stock_->object());
  }
  static const QAccessibleInterface* Unwrapped(const QAccessibleInterface* child) {
    const auto* wrapper = dynamic_cast<const StageControlAccessible*>(child);
    return wrapper != nullptr && wrapper->isPart_ ? wrapper->stock_ : child;
  }
  // A child with a widget comes wrapped from the factory; a part is wrapped here, once.
  QAccessibleInterface* Wrap(QAccessibleInterface* child) const {
    if (child == nullptr || child->object() != nullptr || Widget() == nullptr) {
      return child;
    }
    const QAccessible::Id id = QAccessible::uniqueId(child);
    if (auto found = parts_.find(id); found != parts_.end()) {
      if (found->second.wrapper->stock_ == child) {
        return found->second.wrapper;
      }
      QAccessible::deleteAccessibleInterface(found->second.id);
      parts_.erase(found);
    }
    auto* wrapper = new StageControlAccessible(child, Widget());
    parts_[id] = {wrapper, QAccessible::registerAccessibleInterface(wrapper)};
    return wrapper;
  }
  // Frees the wrappers of parts (only those Qt dropped, when `goneOnly`).
  void DropParts(bool goneOnly) {
    for (auto part = parts_.begin(); part != parts_.end();) {
      if (goneOnly && part->second.wrapper->Stock() != nullptr) {
        ++part;
        continue;
      }
      QAccessible::deleteAccessibleInterface(part->second.id);
      part = parts_.erase(part);
    }
  }

  QAccessibleInterface* stock_;
  QAccessible::Id stockId_;
  QPointer<QWidget> partOf_;
  bool isPart_;
  mutable std::map<QAccessible::Id, Part> parts_;
};

}  // namespace

QAccessibleInterface* WrapStageControl(QAccessibleInterface* stock) {
  return new StageControlAccessible(stock, nullptr);
}
