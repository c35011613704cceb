// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The report list view over a QTreeWidget: columns, rows with small images, the selection
// mark (the selected row), redraw off and on.
#include "platform/ui/list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QScroller>
#include <QScrollerProperties>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <utility>

#include "platform/ui/controls.h"
#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/list_view.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/text.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/messages.h"

namespace {

constexpr int kImageRole = Qt::UserRole;
constexpr int kParamRole = Qt::UserRole + 1;
constexpr int kRowImageSize = 16;
// Where a row's parts stand within its cells, in pixels.
constexpr int kImageLeft = 1;
constexpr int kImageTextGap = 2;
constexpr int kTextLeft = 2;
constexpr int kTextRight = 2;
constexpr int kRowPadding = 2;

// The column captions' sections in flat colours with edges as filled rectangles, the look of
// the desktop's header without its drawn lines: Qt hands the spans of a line to a pool of
// threads of its own, and waking them costs the first paint of a list more than drawing.
class FlatHeaderStyle : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element != CE_HeaderSection) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    const QRect section = option->rect;
    const QColor face = option->palette.button().color();
    painter->fillRect(section, face.lighter(102));
    painter->fillRect(QRect(section.left(), section.top(), section.width(), 1), face.lighter(108));
    painter->fillRect(QRect(section.left(), section.bottom(), section.width(), 1),
                      option->palette.window().color().darker(140));
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (header != nullptr && header->orientation == Qt::Horizontal &&
        header->position != QStyleOptionHeader::End &&
        header->position != QStyleOptionHeader::OnlyOneSection) {
      painter->fillRect(QRect(section.right(), section.top(), 1, section.height() - 1),
                        face.darker(118));
    }
  }
};

// A report list whose vertical scroll bar is the frame's slim one, lying over the rows' right
// edge: the columns keep the list's whole width, and a long list does not push the last
// column's text out of sight.
class ReportTree : public QTreeWidget {
 public:
  explicit ReportTree(QWidget* parent) : QTreeWidget(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bar_ = new QScrollBar(Qt::Vertical, this);
    bar_->setStyleSheet(QString::fromLatin1(kSlimScrollBarStyle));
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->hide();
    QScrollBar* inner = verticalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, bar_, [this] { followScrollRange(); });
    connect(inner, &QScrollBar::valueChanged, bar_, &QScrollBar::setValue);
    connect(bar_, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    // A finger drags the rows and flicks them on. The scroller hands presses on at once (held
    // back, it would send them on at the wrong place of a scaled frame); the list itself
    // holds a press until it proves a tap.
    // Rows follow the finger pixel by pixel, not a row at a time.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
    QScrollerProperties flicking = QScroller::scroller(viewport())->scrollerProperties();
    flicking.setScrollMetric(QScrollerProperties::MousePressEventDelay, 0);
    QScroller::scroller(viewport())->setScrollerProperties(flicking);
  }

  // What a tap on the selected row and a double tap on a row do: the action key.
  void SetActivation(std::function<void()> activate) { activate_ = std::move(activate); }

  // The rightmost pixel of the viewport that the scroll bar leaves uncovered.
  int VisibleRight() const {
    const int right = viewport()->width() - 1;
    return bar_->isHidden() ? right : right - kScrollBarWidth;
  }

 protected:
  void updateGeometries() override {
    QTreeWidget::updateGeometries();
    const QRect rows = viewport()->geometry();
    bar_->setGeometry(rows.right() + 1 - kScrollBarWidth, rows.top(), kScrollBarWidth,
                      rows.height());
    followScrollRange();
  }

  // A press selects only once it proves a tap: a finger that drags scrolls the rows and
  // leaves the selection where it was.
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      QTreeWidget::mousePressEvent(event);
      return;
    }
    pressPending_ = true;
    pressedAt_ = event->position().toPoint();
    pressedGlobal_ = event->globalPosition();
    actedOnRelease_ = false;
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (!pressPending_) {
      QTreeWidget::mouseMoveEvent(event);
    }
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || !pressPending_) {
      QTreeWidget::mouseReleaseEvent(event);
      return;
    }
    pressPending_ = false;
    const QPoint released = event->position().toPoint();
    if ((released - pressedAt_).manhattanLength() >= QApplication::startDragDistance() ||
        QScroller::scroller(viewport())->state() != QScroller::Inactive) {
      return;  // a drag
    }
    const QModelIndex pressed = indexAt(pressedAt_);
    const bool onSelected = pressed.isValid() && pressed.row() == currentIndex().row() &&
                            selectionModel()->isRowSelected(pressed.row(), QModelIndex());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pressedAt_), pressedGlobal_, Qt::LeftButton,
                      Qt::LeftButton, event->modifiers());
    QTreeWidget::mousePressEvent(&press);
    QTreeWidget::mouseReleaseEvent(event);
    if (onSelected) {
      actedOnRelease_ = true;
      Activate();
    }
  }

  // The second press of a double tap. When the first already acted (it fell on the selected
  // row), the row under the finger may since be another list's: it acts once, not twice.
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || actedOnRelease_) {
      return;
    }
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid()) {
      setCurrentIndex(pressed);
      Activate();
    }
  }

 private:
  void Activate() {
    if (activate_) {
      activate_();
    }
  }

  void followScrollRange() {
    const QScrollBar* inner = verticalScrollBar();
    bar_->setRange(inner->minimum(), inner->maximum());
    bar_->setPageStep(inner->pageStep());
    bar_->setSingleStep(inner->singleStep());
    bar_->setValue(inner->value());
    bar_->setVisible(inner->maximum() > inner->minimum());
  }

  QScrollBar* bar_ = nullptr;
  std::function<void()> activate_;
  QPoint pressedAt_;
  QPointF pressedGlobal_;
  bool pressPending_ = false;
  bool actedOnRelease_ = false;
};

// Draws the rows tightly, since on the phone's narrow screen every pixel of a column counts:
// the selection across the whole row, the row's picture at the first column's left edge, and
// each cell's text, cut with "…" where the visible part of its column ends.
class RowPainter : public QStyledItemDelegate {
 public:
  explicit RowPainter(ReportTree* tree) : QStyledItemDelegate(tree), tree_(tree) {}

  // The text a person sees in the cell at `cell` (its rectangle in the viewport).
  QString ShownText(const QModelIndex& index, const QRect& cell) const {
    const QRect room = textRect(index, cell);
    if (room.width() <= 0) {
      return {};
    }
    return QFontMetrics(tree_->font())
        .elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, room.width());
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& given,
             const QModelIndex& index) const override {
    QStyleOptionViewItem option(given);
    initStyleOption(&option, index);
    const QIcon picture = option.icon;
    option.text.clear();
    option.icon = QIcon();
    option.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration);
    tree_->style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, tree_);
    if (hasPicture(index)) {
      picture.paint(painter, pictureRect(option.rect));
    }
    const QPalette::ColorGroup group =
        (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setFont(tree_->font());
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(option.rect);
    painter->drawText(textRect(index, option.rect), Qt::AlignLeft | Qt::AlignVCenter,
                      ShownText(index, option.rect));
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QFontMetrics metrics(tree_->font());
    const int height = std::max(kRowImageSize, metrics.height()) + kRowPadding;
    return {QStyledItemDelegate::sizeHint(option, index).width(), height};
  }

 private:
  static bool hasPicture(const QModelIndex& index) {
    return index.column() == 0 && !index.data(Qt::DecorationRole).value<QIcon>().isNull();
  }

  static QRect pictureRect(const QRect& cell) {
    return {cell.left() + kImageLeft, cell.top() + (cell.height() - kRowImageSize) / 2,
            kRowImageSize, kRowImageSize};
  }

  QRect textRect(const QModelIndex& index, const QRect& cell) const {
    const int left = hasPicture(index) ? cell.left() + kImageLeft + kRowImageSize + kImageTextGap
                                       : cell.left() + kTextLeft;
    const int right = std::min(cell.right(), tree_->VisibleRight()) - kTextRight;
    return {QPoint(left, cell.top()), QPoint(right, cell.bottom())};
  }

  ReportTree* tree_;
};

void ShowImage(ListWindow* list, QTreeWidgetItem* item) {
  HIMAGELIST__* images = LiveImageList(list->smallImages);
  const int index = item->data(0, kImageRole).toInt();
  if (images != nullptr && index >= 0 && index < static_cast<int>(images->icons.size())) {
    item->setIcon(0, images->icons[static_cast<std::size_t>(index)]);
  } else {
    item->setIcon(0, QIcon());
  }
}

QTreeWidgetItem* RowAt(ListWindow* list, WPARAM index) {
  const auto at = static_cast<int>(static_cast<std::intptr_t>(index));
  if (at < 0 || at >= list->tree->topLevelItemCount()) {
    return nullptr;
  }
  return list->tree->topLevelItem(at);
}

void ShowPendingRow(ListWindow* list) {
  if (LiveList(list) == nullptr) {
    return;
  }
  if (QTreeWidgetItem* pending = RowAt(list, static_cast<WPARAM>(list->rowToShow))) {
    list->tree->scrollToItem(pending);
  }
  list->rowToShow = -1;
}

int SelectionMark(ListWindow* list) {
  const QList<QTreeWidgetItem*> selected = list->tree->selectedItems();
  if (selected.isEmpty()) {
    return -1;
  }
  QTreeWidgetItem* current = list->tree->currentItem();
  QTreeWidgetItem* mark = current != nullptr && current->isSelected() ? current : selected.front();
  return list->tree->indexOfTopLevelItem(mark);
}

void CopyText(const QString& text, LPWSTR buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) {
    return;
  }
  const std::u16string value = text.toStdU16String();
  const int count = static_cast<int>(std::min<std::size_t>(value.size(), capacity - 1));
  std::copy_n(value.begin(), count, buffer);
  buffer[count] = u'\0';
}

LRESULT InsertItem(ListWindow* list, const LVITEMW* item) {
  if (item == nullptr || item->iSubItem != 0) {
    return -1;
  }
  QTreeWidget* tree = list->tree;
  const int at = std::clamp(item->iItem, 0, tree->topLevelItemCount());
  auto* made = new QTreeWidgetItem;
  made->setData(0, kImageRole, (item->mask & LVIF_IMAGE) ? item->iImage : -1);
  made->setData(0, kParamRole,
                static_cast<qlonglong>((item->mask & LVIF_PARAM) ? item->lParam : 0));
  if (item->mask & LVIF_TEXT) {
    made->setText(0, ToQString(item->pszText));
  }
  tree->insertTopLevelItem(at, made);
  ShowImage(list, made);
  return at;
}

LRESULT GetItem(ListWindow* list, LVITEMW* item) {
  if (item == nullptr) {
    return FALSE;
  }
  QTreeWidgetItem* found = RowAt(list, static_cast<WPARAM>(item->iItem));
  if (found == nullptr || item->iSubItem < 0 ||
      item->iSubItem >= std::max(1, list->tree->columnCount())) {
    return FALSE;
  }
  if (item->mask & LVIF_TEXT) {
    CopyText(found->text(item->iSubItem), item->pszText, item->cchTextMax);
  }
  if (item->mask & LVIF_IMAGE) {
    item->iImage = found->data(0, kImageRole).toInt();
  }
  if (item->mask & LVIF_PARAM) {
    item->lParam = static_cast<LPARAM>(found->data(0, kParamRole).toLongLong());
  }
  return TRUE;
}

void SetState(ListWindow* list, QTreeWidgetItem* item, UINT state, UINT mask) {
  QItemSelectionModel* selection = list->tree->selectionModel();
  const QModelIndex index = list->tree->model()->index(list->tree->indexOfTopLevelItem(item), 0);
  if (mask & LVIS_FOCUSED) {
    if (state & LVIS_FOCUSED) {
      selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (list->tree->currentItem() == item) {
      selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  }
  if (mask & LVIS_SELECTED) {
    selection->select(index, ((state & LVIS_SELECTED) ? QItemSelectionModel::ClearAndSelect
                                                      : QItemSelectionModel::Deselect) |
                                 QItemSelectionModel::Rows);
  }
}

LRESULT SetItemState(ListWindow* list, WPARAM index, const LVITEMW* item) {
  if (item == nullptr) {
    return FALSE;
  }
  if (static_cast<std::intptr_t>(index) == -1) {
    for (int i = 0; i < list->tree->topLevelItemCount(); ++i) {
      SetState(list, list->tree->topLevelItem(i), item->state, item->stateMask);
    }
    return TRUE;
  }
  QTreeWidgetItem* found = RowAt(list, index);
  if (found == nullptr) {
    return FALSE;
  }
  SetState(list, found, item->state, item->stateMask);
  return TRUE;
}

LRESULT InsertColumn(ListWindow* list, WPARAM index, const LVCOLUMNW* column) {
  if (column == nullptr) {
    return -1;
  }
  QTreeWidget* tree = list->tree;
  const int count = tree->columnCount();
  const int at = std::clamp(static_cast<int>(index), 0, list->hasColumns ? count : 0);
  QStringList labels;
  for (int i = 0; i < (list->hasColumns ? count : 0); ++i) {
    labels << tree->headerItem()->text(i);
  }
  labels.insert(at, (column->mask & LVCF_TEXT) ? ToQString(column->pszText) : QString());
  tree->setColumnCount(static_cast<int>(labels.size()));
  tree->setHeaderLabels(labels);
  list->hasColumns = true;
  if (column->mask & LVCF_WIDTH) {
    tree->header()->resizeSection(at, std::max(column->cx, 0));
  }
  if (column->mask & LVCF_FMT) {
    tree->headerItem()->setTextAlignment(at, Qt::AlignLeft | Qt::AlignVCenter);
  }
  return at;
}

}  // namespace

QString ShownListCell(ListWindow* list, int row, int column) {
  ShowPendingRow(list);
  auto* tree = static_cast<ReportTree*>(list->tree);
  if (row < 0 || row >= tree->topLevelItemCount() || column < 0 || column >= tree->columnCount()) {
    return {};
  }
  const QModelIndex index = tree->model()->index(row, column);
  const QRect cell = tree->visualRect(index);
  if (cell.isEmpty() || cell.top() < 0 || cell.bottom() >= tree->viewport()->height()) {
    return {};
  }
  return static_cast<RowPainter*>(tree->itemDelegate())->ShownText(index, cell);
}

int TopShownListRow(ListWindow* list) {
  ShowPendingRow(list);
  const QModelIndex top = list->tree->indexAt(QPoint(0, 0));
  return top.isValid() ? top.row() : -1;
}

HWND CreateWindowExW(DWORD /*extendedStyle*/, LPCWSTR className, LPCWSTR windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU controlId,
                     HINSTANCE /*instance*/, void* /*parameter*/) {
  ScreenWindow* screen = CalledScreen(parent, "CreateWindowExW");
  if (screen == nullptr || className == nullptr ||
      QString::fromUtf16(className).compare(QString::fromUtf16(WC_LISTVIEWW),
                                            Qt::CaseInsensitive) != 0) {
    return nullptr;
  }
  auto* list = new ListWindow;
  list->id = static_cast<int>(reinterpret_cast<std::intptr_t>(controlId));
  list->screen = screen;
  list->text = windowName != nullptr ? std::u16string(windowName) : std::u16string();
  auto* tree = new ReportTree(screen->widget);
  tree->setItemDelegate(new RowPainter(tree));
  tree->setFrameShape(QFrame::NoFrame);  // the phone's list has no border
  tree->setRootIsDecorated(false);
  tree->setItemsExpandable(false);
  tree->setUniformRowHeights(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                          : Qt::ScrollBarAlwaysOff);
  tree->setIconSize(QSize(kRowImageSize, kRowImageSize));
  auto* headerStyle = new FlatHeaderStyle;
  headerStyle->setParent(tree->header());
  tree->header()->setStyle(headerStyle);
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionsMovable(false);
  tree->setHeaderHidden((style & LVS_REPORT) == 0);
  tree->setColumnCount(1);
  tree->setHeaderLabels({QString()});
  tree->setFont(ScreenFont());
  // Not a tab stop: a screen gives its list the focus itself.
  tree->setFocusPolicy(Qt::ClickFocus);
  tree->setGeometry(x, y, width, height);
  // The list lies on its screen, which outlives it.
  tree->SetActivation([screen] { DispatchToScreen(screen, WM_COMMAND, IDOK, 0); });
  list->tree = tree;
  list->widget = tree;
  if (style & WS_VISIBLE) {
    tree->show();
  }
  RegisterWindow(list);
  screen->children.push_back(list);
  return list;
}

LRESULT ListMessage(ListWindow* list, UINT message, WPARAM wParam, LPARAM lParam) {
  QTreeWidget* tree = list->tree;
  LRESULT result = 0;
  if (CommonWindowMessage(list, message, wParam, lParam, &result)) {
    if (message == WM_SETFONT) {
      tree->header()->setFont(tree->font());
    }
    return result;
  }
  switch (message) {
    case LVM_SETIMAGELIST: {
      if (wParam != LVSIL_SMALL) {
        return 0;
      }
      HIMAGELIST previous = list->smallImages;
      list->smallImages = LiveImageList(reinterpret_cast<const void*>(lParam));
      for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        ShowImage(list, tree->topLevelItem(i));
      }
      return reinterpret_cast<LRESULT>(previous);
    }
    case LVM_GETITEMCOUNT:
      return tree->topLevelItemCount();
    case LVM_DELETEALLITEMS:
      tree->clear();
      return TRUE;
    case LVM_ENSUREVISIBLE:
      // Scrolling lays the rows out; done once when the loop next runs, not for every row
      // of a fill.
      if (RowAt(list, wParam) == nullptr) {
        return FALSE;
      }
      if (list->rowToShow < 0) {
        QTimer::singleShot(0, tree, [list] { ShowPendingRow(list); });
      }
      list->rowToShow = static_cast<int>(wParam);
      return TRUE;
    case LVM_SETITEMSTATE:
      return SetItemState(list, wParam, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
      return 0;  // rows are always selected whole
    case LVM_GETSELECTIONMARK:
      return SelectionMark(list);
    case LVM_GETITEMW:
      return GetItem(list, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_INSERTITEMW:
      return InsertItem(list, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_INSERTCOLUMNW:
      return InsertColumn(list, wParam, reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_SETITEMTEXTW: {
      const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
      QTreeWidgetItem* found = RowAt(list, wParam);
      if (item == nullptr || found == nullptr || item->iSubItem < 0 ||
          item->iSubItem >= tree->columnCount()) {
        return FALSE;
      }
      found->setText(item->iSubItem, ToQString(item->pszText));
      return TRUE;
    }
    default:
      return 0;
  }
}
