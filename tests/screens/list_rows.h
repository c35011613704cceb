// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What a report list shows, read back through the list's own messages: row texts, images and
// the selection, for the picker and browser screen tests.
#include <string>
#include <vector>

#include "platform/system/text.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/list_view.h"
#include "platform/ui/testing/screen_driver.h"

struct ListRow {
  std::string text;
  int image;
  bool operator==(const ListRow&) const = default;
};

inline void PrintTo(const ListRow& row, std::ostream* out) {
  *out << "{\"" << row.text << "\", " << row.image << "}";
}

inline std::vector<ListRow> ListRows(HWND list) {
  std::vector<ListRow> rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    char16_t text[512] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    rows.push_back({ToUtf8(text), item.iImage});
  }
  return rows;
}

inline std::vector<std::string> ListTexts(HWND list) {
  std::vector<std::string> texts;
  for (const ListRow& row : ListRows(list)) {
    texts.push_back(row.text);
  }
  return texts;
}

// The rows marked selected, each with "+focus" when it has the focus mark too.
inline std::vector<std::string> SelectedListRows(HWND list) {
  std::vector<std::string> selected;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    const UINT state = ShownRowState(list, row);
    if (state & LVIS_SELECTED) {
      selected.push_back(std::to_string(row) + ((state & LVIS_FOCUSED) ? "+focus" : ""));
    }
  }
  return selected;
}
