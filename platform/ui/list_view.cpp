// The report list view over a QTreeWidget: columns, rows with small images, the selection
// mark (the selected row), redraw off and on; and image lists.
#include "platform/ui/list_view.h"

#include <QHeaderView>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <unordered_set>

#include "platform/ui/controls.h"
#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/gdi.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"

namespace {

constexpr int kImageRole = Qt::UserRole;
constexpr int kParamRole = Qt::UserRole + 1;

std::unordered_set<const void*>& liveImageLists() {
  static std::unordered_set<const void*> lists;
  return lists;
}

QString textOf(const LPWSTR text) {
  return text != nullptr ? QString::fromUtf16(text) : QString();
}

void showImage(ListWindow* list, QTreeWidgetItem* item) {
  HIMAGELIST__* images = LiveImageList(list->smallImages);
  const int index = item->data(0, kImageRole).toInt();
  if (images != nullptr && index >= 0 && index < static_cast<int>(images->icons.size())) {
    item->setIcon(0, images->icons[static_cast<std::size_t>(index)]);
  } else {
    item->setIcon(0, QIcon());
  }
}

QTreeWidgetItem* row(ListWindow* list, WPARAM index) {
  const auto at = static_cast<int>(static_cast<std::intptr_t>(index));
  if (at < 0 || at >= list->tree->topLevelItemCount()) {
    return nullptr;
  }
  return list->tree->topLevelItem(at);
}

void showPendingRow(ListWindow* list) {
  if (LiveList(list) == nullptr) {
    return;
  }
  if (QTreeWidgetItem* pending = row(list, static_cast<WPARAM>(list->rowToShow))) {
    list->tree->scrollToItem(pending);
  }
  list->rowToShow = -1;
}

int selectionMark(ListWindow* list) {
  const QList<QTreeWidgetItem*> selected = list->tree->selectedItems();
  if (selected.isEmpty()) {
    return -1;
  }
  QTreeWidgetItem* current = list->tree->currentItem();
  QTreeWidgetItem* mark = current != nullptr && current->isSelected() ? current : selected.front();
  return list->tree->indexOfTopLevelItem(mark);
}

void copyText(const QString& text, LPWSTR buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) {
    return;
  }
  const std::u16string value = text.toStdU16String();
  const int count = static_cast<int>(std::min<std::size_t>(value.size(), capacity - 1));
  std::copy_n(value.begin(), count, buffer);
  buffer[count] = u'\0';
}

LRESULT insertItem(ListWindow* list, const LVITEMW* item) {
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
    made->setText(0, textOf(item->pszText));
  }
  tree->insertTopLevelItem(at, made);
  showImage(list, made);
  return at;
}

LRESULT getItem(ListWindow* list, LVITEMW* item) {
  if (item == nullptr) {
    return FALSE;
  }
  QTreeWidgetItem* found = row(list, static_cast<WPARAM>(item->iItem));
  if (found == nullptr || item->iSubItem < 0 ||
      item->iSubItem >= std::max(1, list->tree->columnCount())) {
    return FALSE;
  }
  if (item->mask & LVIF_TEXT) {
    copyText(found->text(item->iSubItem), item->pszText, item->cchTextMax);
  }
  if (item->mask & LVIF_IMAGE) {
    item->iImage = found->data(0, kImageRole).toInt();
  }
  if (item->mask & LVIF_PARAM) {
    item->lParam = static_cast<LPARAM>(found->data(0, kParamRole).toLongLong());
  }
  return TRUE;
}

UINT stateOf(ListWindow* list, QTreeWidgetItem* item) {
  UINT state = 0;
  if (item->isSelected()) {
    state |= LVIS_SELECTED;
  }
  if (list->tree->currentItem() == item) {
    state |= LVIS_FOCUSED;
  }
  return state;
}

void setState(ListWindow* list, QTreeWidgetItem* item, UINT state, UINT mask) {
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

LRESULT setItemState(ListWindow* list, WPARAM index, const LVITEMW* item) {
  if (item == nullptr) {
    return FALSE;
  }
  if (static_cast<std::intptr_t>(index) == -1) {
    for (int i = 0; i < list->tree->topLevelItemCount(); ++i) {
      setState(list, list->tree->topLevelItem(i), item->state, item->stateMask);
    }
    return TRUE;
  }
  QTreeWidgetItem* found = row(list, index);
  if (found == nullptr) {
    return FALSE;
  }
  setState(list, found, item->state, item->stateMask);
  return TRUE;
}

LRESULT insertColumn(ListWindow* list, WPARAM index, const LVCOLUMNW* column) {
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
  labels.insert(at, (column->mask & LVCF_TEXT) ? textOf(column->pszText) : QString());
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

HIMAGELIST__* LiveImageList(const void* handle) {
  return handle != nullptr && liveImageLists().contains(handle)
             ? static_cast<HIMAGELIST__*>(const_cast<void*>(handle))
             : nullptr;
}

HWND CreateWindowExW(DWORD /*extendedStyle*/, LPCWSTR className, LPCWSTR windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU controlId,
                     HINSTANCE /*instance*/, void* /*parameter*/) {
  ScreenWindow* screen = LiveScreen(parent);
  if (screen == nullptr || className == nullptr ||
      QString::fromUtf16(className).compare(QString::fromUtf16(WC_LISTVIEWW),
                                            Qt::CaseInsensitive) != 0) {
    return nullptr;
  }
  auto* list = new ListWindow;
  list->id = static_cast<int>(reinterpret_cast<std::intptr_t>(controlId));
  list->screen = screen;
  list->text = windowName != nullptr ? std::u16string(windowName) : std::u16string();
  auto* tree = new QTreeWidget(screen->widget);
  tree->setFrameShape(QFrame::NoFrame);  // the phone's list has no border
  tree->setRootIsDecorated(false);
  tree->setItemsExpandable(false);
  tree->setUniformRowHeights(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                          : Qt::ScrollBarAlwaysOff);
  tree->setIconSize(QSize(16, 16));
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionsMovable(false);
  tree->setHeaderHidden((style & LVS_REPORT) == 0);
  tree->setColumnCount(1);
  tree->setHeaderLabels({QString()});
  tree->setFont(ScreenFont());
  // Not a tab stop: a screen gives its list the focus itself.
  tree->setFocusPolicy(Qt::ClickFocus);
  tree->setGeometry(x, y, width, height);
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
  LRESULT result = 0;
  if (CommonWindowMessage(list, message, wParam, lParam, &result)) {
    return result;
  }
  QTreeWidget* tree = list->tree;
  switch (message) {
    case LVM_SETIMAGELIST: {
      if (wParam != LVSIL_SMALL) {
        return 0;
      }
      HIMAGELIST previous = list->smallImages;
      list->smallImages = LiveImageList(reinterpret_cast<const void*>(lParam));
      for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        showImage(list, tree->topLevelItem(i));
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
      if (row(list, wParam) == nullptr) {
        return FALSE;
      }
      if (list->rowToShow < 0) {
        QTimer::singleShot(0, tree, [list] { showPendingRow(list); });
      }
      list->rowToShow = static_cast<int>(wParam);
      return TRUE;
    case LVM_GETCOLUMNWIDTH:
      if (!list->hasColumns || static_cast<int>(wParam) >= tree->columnCount()) {
        return 0;
      }
      return tree->header()->sectionSize(static_cast<int>(wParam));
    case LVM_SETITEMSTATE:
      return setItemState(list, wParam, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMSTATE:
      if (QTreeWidgetItem* found = row(list, wParam)) {
        return stateOf(list, found) & static_cast<UINT>(lParam);
      }
      return 0;
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
      return 0;  // rows are always selected whole
    case LVM_GETSELECTIONMARK:
      return selectionMark(list);
    case LVM_GETITEMW:
      return getItem(list, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_INSERTITEMW:
      return insertItem(list, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_INSERTCOLUMNW:
      return insertColumn(list, wParam, reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_SETITEMTEXTW: {
      const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
      QTreeWidgetItem* found = row(list, wParam);
      if (item == nullptr || found == nullptr || item->iSubItem < 0 ||
          item->iSubItem >= tree->columnCount()) {
        return FALSE;
      }
      found->setText(item->iSubItem, textOf(item->pszText));
      return TRUE;
    }
    default:
      return 0;
  }
}

HIMAGELIST ImageList_Create(int width, int height, UINT /*flags*/, int /*initial*/, int /*grow*/) {
  if (width <= 0 || height <= 0) {
    return nullptr;
  }
  auto* images = new HIMAGELIST__;
  images->width = width;
  images->height = height;
  liveImageLists().insert(images);
  return images;
}

int ImageList_ReplaceIcon(HIMAGELIST images, int index, HICON icon) {
  HIMAGELIST__* live = LiveImageList(images);
  if (live == nullptr || icon == nullptr) {
    return -1;
  }
  QPixmap picture = icon->picture.scaled(live->width, live->height, Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
  if (index == -1) {
    live->pictures.push_back(picture);
    live->icons.emplace_back(picture);
    return static_cast<int>(live->pictures.size()) - 1;
  }
  if (index < 0 || index >= static_cast<int>(live->pictures.size())) {
    return -1;
  }
  live->pictures[static_cast<std::size_t>(index)] = picture;
  live->icons[static_cast<std::size_t>(index)] = QIcon(picture);
  return index;
}

int ImageList_GetImageCount(HIMAGELIST images) {
  HIMAGELIST__* live = LiveImageList(images);
  return live != nullptr ? static_cast<int>(live->pictures.size()) : 0;
}
