// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The smartphone shell's calls: full-screen screens, soft-key bars and their key overrides,
// and Back handed to the focused edit field.
#include "platform/ui/menu_bar.h"

#include <QLineEdit>

#include "platform/ui/internal/menu_bar.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/keys.h"
#include "platform/ui/messages.h"

BOOL SHInitDialog(SHINITDLGINFO* info) {
  if (info == nullptr) {
    return FALSE;
  }
  ScreenWindow* screen = CalledScreen(info->hDlg, "SHInitDialog");
  if (screen == nullptr || screen->frame == nullptr) {
    return FALSE;
  }
  if ((info->dwMask & SHIDIM_FLAGS) && (info->dwFlags & SHIDIF_SIZEDLGFULLSCREEN)) {
    screen->frame->FitClient(true);
  }
  return TRUE;
}

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
  if (info == nullptr) {
    return FALSE;
  }
  info->hwndMB = nullptr;
  if (info->cbSize != kPhoneMenuBarInfoSize && info->cbSize != sizeof(SHMENUBARINFO)) {
    return FALSE;
  }
  ScreenWindow* screen = CalledScreen(info->hwndParent, "SHCreateMenuBar");
  const SoftKeyBarResource* resource =
      FindSoftKeyBar(info->hInstRes, static_cast<int>(info->nToolBarId));
  if (screen == nullptr || resource == nullptr) {
    return FALSE;
  }
  if (screen->bar != nullptr) {
    DestroyWindowRecord(screen->bar);
  }
  auto* bar = new BarWindow;
  bar->resource = resource;
  bar->screen = screen;
  RegisterWindow(bar);
  screen->bar = bar;
  info->hwndMB = bar;
  if (screen->frame != nullptr) {
    screen->frame->update();
  }
  return TRUE;
}

LRESULT BarMessage(BarWindow* bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != SHCMBM_OVERRIDEKEY) {
    return 0;
  }
  const WORD mask = LOWORD(static_cast<std::uintptr_t>(lParam));
  const WORD value = HIWORD(static_cast<std::uintptr_t>(lParam));
  BarWindow::KeyOverride& key = bar->overrides[static_cast<UINT>(wParam)];
  if (mask & SHMBOF_NODEFAULT) {
    key.noDefault = (value & SHMBOF_NODEFAULT) != 0;
  }
  if (mask & SHMBOF_NOTIFY) {
    key.notify = (value & SHMBOF_NOTIFY) != 0;
  }
  return TRUE;
}

// Back erases the character before the cursor (or the selection) in the focused edit field,
// once per press; its release does nothing.
void SHSendBackToFocusWindow(UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  const auto parameter = static_cast<std::uintptr_t>(lParam);
  if (message != WM_HOTKEY || HIWORD(parameter) != VK_TBACK || (LOWORD(parameter) & MOD_KEYUP)) {
    return;
  }
  HWND__* focus = FocusedWindow();
  if (focus == nullptr) {
    return;
  }
  if (auto* edit = qobject_cast<QLineEdit*>(focus->widget)) {
    if (!edit->isReadOnly()) {
      edit->backspace();
    }
  }
}
