// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "screens/about_screen.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/system/text.h"
#include "resources/resource_ids.h"
#include "toolkit/readme.h"
#include "toolkit/screen_toolkit.h"

namespace {

constexpr INT_PTR kNoBarEndCode = 3;

// The icon first, the name beside it, the three maker lines under it, one text line apart.
void LayOutControls(HWND screen) {
  const int line = MeasureLayoutLine(screen);
  RECT client{};
  GetClientRect(screen, &client);
  const int width = client.right - client.left;
  RECT icon{};
  GetClientRect(GetDlgItem(screen, IDC_ABOUT_ICON), &icon);
  const int iconWidth = icon.right - icon.left;
  const int iconHeight = icon.bottom - icon.top;
  MoveWindow(GetDlgItem(screen, IDC_ABOUT_ICON), 3, line, iconWidth, iconHeight, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_ABOUT_NAME), iconWidth + 3, line, width - iconWidth - 3, line,
             TRUE);
  MoveWindow(GetDlgItem(screen, IDC_ABOUT_NOTICE), 2, iconHeight + line, width - 2, line, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_ABOUT_WEB), 2, iconHeight + 2 * line + 1, width - 2, line,
             TRUE);
  MoveWindow(GetDlgItem(screen, IDC_ABOUT_SUPPORT), 2, iconHeight + 3 * line + 2, width - 2, line,
             TRUE);
}

// The folder holding the README, the home folder shown as "~" so that the line holds it.
std::u16string ReadmeFolder() {
  std::string folder = std::filesystem::path(ReadmePath()).parent_path().string();
  const char* home = std::getenv("HOME");
  const std::string prefix = home != nullptr ? std::string(home) + "/" : std::string();
  if (prefix.size() > 1 && folder.rfind(prefix, 0) == 0) {
    folder = "~/" + folder.substr(prefix.size());
  }
  return FromUtf8(folder);
}

// Someone who started Pelorin from a menu learns where its README is: the line under "Help:".
void ShowReadmeFolder(HWND screen) {
  SetWindowTextW(GetDlgItem(screen, IDC_ABOUT_SUPPORT), ReadmeFolder().c_str());
}

INT_PTR AboutProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      if (InitScreenWithBar(screen, IDR_ABOUT_BAR) == nullptr) {
        EndDialog(screen, kNoBarEndCode);
      }
      LayOutControls(screen);
      ShowReadmeFolder(screen);
      return TRUE;
    case WM_COMMAND:
      switch (wParam) {
        case IDCANCEL:
        case IDM_ABOUT_CANCEL:
          EndDialog(screen, -1);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CTLCOLORSTATIC:
      return PaleBackground(screen, wParam);
    default:
      return FALSE;
  }
}

}  // namespace

AboutScreen::~AboutScreen() = default;

int AboutScreen::Run() {
  return static_cast<int>(RunModalScreen(IDD_ABOUT, AboutProcedure));
}
