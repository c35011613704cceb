#pragma once
// Modal screens and the window calls their procedures make. Every screen is a top-level window
// in the phone frame: a 20-pixel caption strip, a 176 x 180 client area, a 20-pixel soft-key bar.
#include "platform/ui/resource_module.h"
#include "platform/ui/window_types.h"

// Messages a screen procedure receives.
inline constexpr UINT WM_ACTIVATE = 0x0006;  // LOWORD(wParam): WA_INACTIVE or WA_ACTIVE
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_INITDIALOG = 0x0110;      // wParam: the first control that takes focus
inline constexpr UINT WM_COMMAND = 0x0111;         // wParam: command id | notification << 16
inline constexpr UINT WM_TIMER = 0x0113;           // wParam: the timer id
inline constexpr UINT WM_CTLCOLORDLG = 0x0136;     // wParam: HDC; answer: a brush
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;  // wParam: HDC, lParam: the control
inline constexpr UINT WM_HOTKEY = 0x0312;  // wParam: hot key id; lParam: modifiers | key << 16
// A program's own messages are numbered from here.
inline constexpr UINT WM_APP = 0x8000;

inline constexpr WORD WA_INACTIVE = 0;
inline constexpr WORD WA_ACTIVE = 1;

// The platform's own commands: the action key and the Back key.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Runs the screen made from `dialog` until its procedure calls EndDialog, in a nested event
// loop, and returns the end code. -1 when the screen cannot be made. `owner` and `instance`
// are accepted for the phone's signature; a screen always covers the newest screen.
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const DLGTEMPLATE* dialog, HWND owner,
                                DLGPROC procedure, LPARAM initParam);
// Ends the screen with `code` once the message being handled returns. The screen receives no
// further message; when called during WM_INITDIALOG the screen is never shown.
BOOL EndDialog(HWND screen, INT_PTR code);

HWND GetDlgItem(HWND screen, int controlId);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
// Copies at most `capacity` - 1 characters and a terminating zero; returns the count copied.
int GetWindowTextW(HWND window, LPWSTR buffer, int capacity);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND window, RECT* rect);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Returns the window that had the focus before, or nullptr.
HWND SetFocus(HWND window);
HWND GetFocus();

// The answer of a screen procedure for the message being handled.
inline constexpr int DWL_MSGRESULT = 0;
LONG_PTR SetWindowLongW(HWND screen, int index, LONG_PTR value);

// Window timers: WM_TIMER with the id every `elapse` milliseconds until KillTimer.
using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR id, DWORD time);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR id);
