// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The report list view ("SysListView32").
#include "platform/ui/window_types.h"

inline constexpr char16_t WC_LISTVIEWW[] = u"SysListView32";

inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD LVS_REPORT = 0x0001;
inline constexpr DWORD LVS_EDITLABELS = 0x0200;
inline constexpr DWORD LVS_EX_FULLROWSELECT = 0x0020;

// Creates a child window. Only the list view class exists; anything else gives nullptr.
HWND CreateWindowExW(DWORD extendedStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU controlId, HINSTANCE instance,
                     void* parameter);

inline constexpr UINT LVM_SETIMAGELIST = 0x1003;  // wParam LVSIL_SMALL; answer: the old list
inline constexpr UINT LVM_GETITEMCOUNT = 0x1004;
inline constexpr UINT LVM_DELETEALLITEMS = 0x1009;
inline constexpr UINT LVM_ENSUREVISIBLE = 0x1013;  // wParam row; lParam partial allowed
inline constexpr UINT LVM_SETITEMSTATE = 0x102B;   // wParam row (-1 all); lParam LVITEMW*
inline constexpr UINT LVM_SETEXTENDEDLISTVIEWSTYLE = 0x1036;  // wParam mask (0 all); lParam
inline constexpr UINT LVM_GETSELECTIONMARK = 0x1042;
inline constexpr UINT LVM_GETITEMW = 0x104B;
inline constexpr UINT LVM_INSERTITEMW = 0x104D;
inline constexpr UINT LVM_INSERTCOLUMNW = 0x1061;
inline constexpr UINT LVM_SETITEMTEXTW = 0x1074;  // wParam row; lParam LVITEMW*

inline constexpr UINT LVIF_TEXT = 0x0001;
inline constexpr UINT LVIF_IMAGE = 0x0002;
inline constexpr UINT LVIF_PARAM = 0x0004;
inline constexpr UINT LVIS_FOCUSED = 0x0001;
inline constexpr UINT LVIS_SELECTED = 0x0002;
inline constexpr UINT LVCF_FMT = 0x0001;
inline constexpr UINT LVCF_WIDTH = 0x0002;
inline constexpr UINT LVCF_TEXT = 0x0004;
inline constexpr UINT LVCF_SUBITEM = 0x0008;
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr WPARAM LVSIL_SMALL = 1;

struct LVITEMW {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};

struct LVCOLUMNW {
  UINT mask;
  int fmt;
  int cx;
  LPWSTR pszText;
  int cchTextMax;
  int iSubItem;
};
