// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the window registry. A handle is the address of one of these
// records; a record lives from its window's creation until its screen ends, and every call
// checks that a handle still names a live record before using it. The registry knows no
// painting and no widget: those who keep something per window hear when a window ends.
#include <QPointer>
#include <QWidget>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/system/phone_types.h"
#include "platform/ui/resource_module.h"
#include "platform/ui/window_types.h"

class PhoneFrame;
class QEventLoop;
class QTimer;
class QTreeWidget;

enum class WindowKind { kScreen, kControl, kList, kBar };

struct HWND__ {
  explicit HWND__(WindowKind windowKind) : kind(windowKind) {}
  virtual ~HWND__() = default;
  HWND__(const HWND__&) = delete;
  HWND__& operator=(const HWND__&) = delete;

  WindowKind kind;
  int id = 0;                             // control id; 0 for screens and bars
  QPointer<QWidget> widget;               // the Qt widget showing the window
  struct ScreenWindow* screen = nullptr;  // the screen the window belongs to
  HDC ownDc = nullptr;                    // made by the first GetDC, freed with the window
};

struct ControlWindow;
struct ListWindow;
struct BarWindow;

struct ScreenWindow : HWND__ {
  ScreenWindow() : HWND__(WindowKind::kScreen) { screen = this; }

  const DialogTemplate* dialog = nullptr;
  DLGPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  QPointer<PhoneFrame> frame;
  QEventLoop* loop = nullptr;  // while the screen runs its modal loop
  bool ended = false;
  INT_PTR endCode = 0;
  LONG_PTR messageResult = 0;     // DWL_MSGRESULT of the message being handled
  std::vector<HWND__*> children;  // controls and lists, in creation order
  BarWindow* bar = nullptr;
  std::map<UINT_PTR, QTimer*> timers;
  std::set<UINT> keysDown;  // keys pressed while this screen was the newest
  HDC paintDc = nullptr;    // set while WM_PAINT is being handled
};

struct ControlWindow : HWND__ {
  ControlWindow() : HWND__(WindowKind::kControl) {}
  ControlKind controlKind = ControlKind::kStaticText;
  std::uint32_t style = 0;
  std::u16string text;  // static texts and group boxes draw this
  int iconId = 0;
  SYSTEMTIME time{};  // date pickers: the full value, of which the picker shows a part
  bool settingTime = false;
  HINSTANCE instance = nullptr;
  bool namesField = false;  // a static text or group box that is a field's caption
};

struct ListWindow : HWND__ {
  ListWindow() : HWND__(WindowKind::kList) {}
  QTreeWidget* tree = nullptr;
  std::u16string text;
  struct HIMAGELIST__* smallImages = nullptr;
  bool hasColumns = false;  // the first inserted column replaces the unnamed one
  int rowToShow = -1;       // LVM_ENSUREVISIBLE's row, scrolled to once the loop runs
};

struct BarWindow : HWND__ {
  BarWindow() : HWND__(WindowKind::kBar) {}
  const SoftKeyBarResource* resource = nullptr;
  struct KeyOverride {
    bool noDefault = false;
    bool notify = false;
  };
  std::map<UINT, KeyOverride> overrides;
};

// The live record for a handle, or nullptr when the handle names nothing (any more).
HWND__* LiveWindow(HWND window);
// The same for the phone's calls: a handle that is not null and names no live window is
// reported as given to `call`.
HWND__* CalledWindow(HWND window, const char* call);
ScreenWindow* CalledScreen(HWND window, const char* call);
ScreenWindow* LiveScreen(HWND window);
ControlWindow* LiveControl(HWND window);
ListWindow* LiveList(HWND window);
BarWindow* LiveBar(HWND window);
void RegisterWindow(HWND__* window);
int LiveWindowCount();
// Forgets the record and frees it, after telling every listener.
void DestroyWindowRecord(HWND__* window);
using WindowEndListener = void (*)(HWND__* window);
void AddWindowEndListener(WindowEndListener listener);
// The window record a widget (or one of its parents) shows, or nullptr.
HWND__* WindowOfWidget(const QWidget* widget);

// Running screens, oldest first.
std::vector<ScreenWindow*>& ScreenStack();
ScreenWindow* NewestScreenWindow();

// Hands a message to the screen's procedure; nothing once the screen has ended.
INT_PTR DispatchToScreen(ScreenWindow* screen, UINT message, WPARAM wParam, LPARAM lParam);
// The screen whose procedure runs now (the innermost one), else the newest screen, else nullptr:
// what is made now belongs to it.
ScreenWindow* DispatchingScreen();

// The control that has the focus in the newest screen, or nullptr.
HWND__* FocusedWindow();
// The size of the window's client area: a screen's is what shows of it in the frame.
SIZE ClientSizeOf(const HWND__* window);

// Modal loops of the platform (screens and message boxes) that are running now.
int ModalDepth();
void EnterModalLoop();
void LeaveModalLoop();

// `hook` runs each time a modal loop is about to run (the screen driver gives the steps it
// queued their turn there); nullptr removes it.
void SetModalLoopHook(void (*hook)());
