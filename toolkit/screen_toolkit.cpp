// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/screen_toolkit.h"

#include "toolkit/process_state.h"

namespace {

constexpr COLORREF kPaleColour = RGB(241, 241, 241);
constexpr int kUnmeasuredTextUnit = 16;
constexpr int kUnmeasuredLayoutLine = 17;
constexpr int kRowTextLimit = 255;

}  // namespace

INT_PTR RunModalScreen(int templateId, DLGPROC procedure) {
  HINSTANCE instance = State().instance;
  HRSRC found = FindResourceW(instance, templateId, RT_DIALOG);
  const auto* dialog = static_cast<const DLGTEMPLATE*>(LoadResource(instance, found));
  if (dialog == nullptr) {
    return -1;
  }
  return DialogBoxIndirectParamW(instance, dialog, nullptr, procedure, 0);
}

HWND InitScreenWithBar(HWND screen, int barId) {
  SHINITDLGINFO info{};
  info.dwMask = SHIDIM_FLAGS;
  info.hDlg = screen;
  info.dwFlags = SHIDIF_SIZEDLGFULLSCREEN;
  if (!SHInitDialog(&info)) {
    return nullptr;
  }
  SHMENUBARINFO bar{};
  bar.cbSize = kPhoneMenuBarInfoSize;
  bar.hwndParent = screen;
  bar.dwFlags = 0;
  bar.nToolBarId = static_cast<UINT>(barId);
  bar.hInstRes = State().instance;
  bar.nBmpId = 0;
  bar.cBmpImages = 0;
  bar.clrBk = 0;
  if (!SHCreateMenuBar(&bar)) {
    return nullptr;
  }
  return bar.hwndMB;
}

void OverrideBarKey(HWND bar, UINT virtualKey) {
  if (bar == nullptr) {
    return;
  }
  SendMessageW(bar, SHCMBM_OVERRIDEKEY, virtualKey,
               MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, SHMBOF_NODEFAULT | SHMBOF_NOTIFY));
}

int MeasureTextUnit(HWND window) {
  HDC deviceContext = GetDC(window);
  SIZE extent{};
  if (!GetTextExtentExPointW(deviceContext, u"A", 1, 0, nullptr, nullptr, &extent)) {
    return 0;
  }
  return extent.cy;
}

int MeasureLayoutLine(HWND screen) {
  const int unit = MeasureTextUnit(screen);
  return unit > 0 ? unit + 1 : kUnmeasuredLayoutLine;
}

void SetScreenFont(HWND control, int extra) {
  int unit = MeasureTextUnit(control);
  if (unit <= 0) {
    unit = kUnmeasuredTextUnit;
  }
  LOGFONTW font{};
  font.lfHeight = unit + extra;
  font.lfWeight = FW_NORMAL;
  font.lfPitchAndFamily = FF_SWISS;
  const char16_t face[] = u"Tahoma";
  for (std::size_t i = 0; i < sizeof(face) / sizeof(face[0]); ++i) {
    font.lfFaceName[i] = face[i];
  }
  HFONT made = CreateFontIndirectW(&font);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
}

HWND CreateReportList(HWND screen, const RECT& clientRect) {
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, u"ListItem",
                              WS_CHILD | WS_VISIBLE | WS_HSCROLL | LVS_EDITLABELS | LVS_REPORT, 0,
                              0, clientRect.right, clientRect.bottom, screen, nullptr,
                              State().instance, nullptr);
  if (list == nullptr) {
    return nullptr;
  }
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  SetScreenFont(list, 0);
  return list;
}

HWND CreateOneColumnList(HWND screen, LPCWSTR caption, std::initializer_list<int> iconIds) {
  RECT client{};
  GetClientRect(screen, &client);
  HWND list = CreateReportList(screen, client);
  if (list == nullptr) {
    return nullptr;
  }
  AddListColumn(list, 0, caption, client, 1.0);
  AttachRowIcons(list, iconIds);
  return list;
}

void AddListColumn(HWND list, int column, LPCWSTR caption, const RECT& clientRect,
                   double fraction) {
  char16_t empty[] = u"";
  LVCOLUMNW entry{};
  entry.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  entry.fmt = LVCFMT_LEFT;
  entry.pszText = caption != nullptr ? const_cast<LPWSTR>(caption) : empty;
  entry.iSubItem = column;
  entry.cx = static_cast<int>(static_cast<double>(clientRect.right - clientRect.left) * fraction);
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(&entry));
}

int SetListCell(HWND list, LPCWSTR text, int column, int imageOrRow) {
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  char16_t empty[] = u"";
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text != nullptr ? const_cast<LPWSTR>(text) : empty;
  item.cchTextMax = kRowTextLimit;
  int row = imageOrRow;
  if (column <= 0) {
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = count;
    item.iImage = imageOrRow;
    item.lParam = 0;
    row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  } else {
    item.mask = LVIF_TEXT;
    item.iItem = imageOrRow;
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(imageOrRow),
                 reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count), FALSE);
  return row;
}

bool GetSelectedRowText(HWND list, LVITEMW* item) {
  const int mark = static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
  if (mark == -1) {
    return false;
  }
  item->mask = LVIF_TEXT | LVIF_IMAGE;
  item->iItem = mark;
  item->iSubItem = 0;
  item->cchTextMax = kRowTextLimit;
  return SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item)) != FALSE;
}

int GetSelectedRowIndex(HWND list) {
  if (list == nullptr) {
    return -1;  // no list, so no row carries the mark
  }
  return static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
}

bool ReadSelectedRow(HWND list, ListRow* row) {
  if (list == nullptr) {
    return false;
  }
  char16_t text[kRowTextLimit + 1] = {};
  LVITEMW item{};
  item.pszText = text;
  if (!GetSelectedRowText(list, &item)) {
    return false;
  }
  row->index = item.iItem;
  row->image = item.iImage;
  row->text = text;
  return true;
}

void SelectListRow(HWND list, int row) {
  LVITEMW item{};
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void AttachRowIcons(HWND list, std::initializer_list<int> iconIds) {
  HIMAGELIST images = ImageList_Create(16, 16, 0xFF, 1, 0);
  if (images == nullptr) {
    return;
  }
  for (int id : iconIds) {
    ImageList_ReplaceIcon(images, -1, LoadIconW(State().instance, id));
  }
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

INT_PTR FocusWhenActivated(WPARAM activation, HWND control) {
  if (activation == 0) {
    return FALSE;
  }
  SetFocus(control);
  return TRUE;
}

INT_PTR CoverClientWithList(LPARAM size, HWND list) {
  MoveWindow(list, 0, 0, LOWORD(static_cast<std::uintptr_t>(size)),
             HIWORD(static_cast<std::uintptr_t>(size)), TRUE);
  return TRUE;
}

INT_PTR PaleBackground(HWND screen, WPARAM deviceContext) {
  SetBkMode(reinterpret_cast<HDC>(deviceContext), TRANSPARENT);
  HBRUSH brush = CreateSolidBrush(kPaleColour);
  SetWindowLongW(screen, DWL_MSGRESULT, reinterpret_cast<LONG_PTR>(brush));
  return reinterpret_cast<INT_PTR>(brush);
}
