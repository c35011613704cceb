#include "screens/about_screen.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/readme.h"
#include "app/screen_toolkit.h"
#include "platform/system/text.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kUnmeasuredLayoutUnit = 17;
constexpr INT_PTR kNoBarEndCode = 3;

HWND Control(HWND screen, int id) {
  return GetDlgItem(screen, id);
}

// The icon first, the name beside it, the three maker lines under it, one text line apart.
void layOutControls(HWND screen) {
  const int unit = MeasureTextUnit(screen);
  const int u = unit > 0 ? unit + 1 : kUnmeasuredLayoutUnit;
  RECT client{};
  GetClientRect(screen, &client);
  const int w = client.right - client.left;
  RECT icon{};
  GetClientRect(Control(screen, IDC_ABOUT_ICON), &icon);
  const int iw = icon.right - icon.left;
  const int ih = icon.bottom - icon.top;
  MoveWindow(Control(screen, IDC_ABOUT_ICON), 3, u, iw, ih, TRUE);
  MoveWindow(Control(screen, IDC_ABOUT_NAME), iw + 3, u, w - iw - 3, u, TRUE);
  MoveWindow(Control(screen, IDC_ABOUT_NOTICE), 2, ih + u, w - 2, u, TRUE);
  MoveWindow(Control(screen, IDC_ABOUT_WEB), 2, ih + 2 * u + 1, w - 2, u, TRUE);
  MoveWindow(Control(screen, IDC_ABOUT_SUPPORT), 2, ih + 3 * u + 2, w - 2, u, TRUE);
}

// The folder holding the README, the home folder shown as "~" so that the line holds it.
std::u16string readmeFolder() {
  std::string folder = std::filesystem::path(ReadmePath()).parent_path().string();
  const char* home = std::getenv("HOME");
  const std::string prefix = home != nullptr ? std::string(home) + "/" : std::string();
  if (prefix.size() > 1 && folder.rfind(prefix, 0) == 0) {
    folder = "~/" + folder.substr(prefix.size());
  }
  return FromUtf8(folder);
}

// Someone who started Pelorin from a menu learns where its README is: the line under "Help:".
void showReadmeFolder(HWND screen) {
  SetWindowTextW(Control(screen, IDC_ABOUT_SUPPORT), readmeFolder().c_str());
}

INT_PTR aboutProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      if (InitScreenWithBar(screen, IDR_ABOUT_BAR) == nullptr) {
        EndDialog(screen, kNoBarEndCode);
      }
      layOutControls(screen);
      showReadmeFolder(screen);
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
  return static_cast<int>(RunModalScreen(IDD_ABOUT, aboutProcedure));
}
