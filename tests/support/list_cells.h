// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The text a report list shows in one cell, read back through the list's own message.
#include <string>

#include "platform/ui/dialogs.h"
#include "platform/ui/list_view.h"

namespace test_support {

inline std::u16string ListCellText(HWND list, int row, int column) {
  char16_t text[256] = {};
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

}  // namespace test_support
