// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Modal screens: a screen is made from its template, its procedure gets WM_INITDIALOG, and
// unless it ended there the screen is shown over the newest screen and runs its own event loop
// until EndDialog. Then the screen and everything it made are freed.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/internal/accessibility.h"
#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/fonts.h"
#include "platform/ui/internal/key_router.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/text.h"
#include "platform/ui/internal/windows.h"
#include "platform/ui/vibrator.h"

namespace {

QFont TemplateFont(const DialogTemplate& dialog) {
  if (dialog.fontFace == nullptr) {
    return ScreenFont();
  }
  return FontFromPoints(QString::fromUtf16(dialog.fontFace), dialog.fontPointSize);
}

ScreenWindow* MakeScreen(HINSTANCE instance, const DialogTemplate& dialog, DLGPROC procedure) {
  auto* screen = new ScreenWindow;
  screen->dialog = &dialog;
  screen->procedure = procedure;
  screen->instance = instance;
  auto* frame = new PhoneFrame(screen, ToQString(dialog.caption));
  screen->frame = frame;
  screen->widget = frame->Client();
  frame->Client()->resize(std::min(dialog.width, kFrameWidth),
                          std::min(dialog.height, ClientAreaHeight()));
  RegisterWindow(screen);
  const QFont font = TemplateFont(dialog);
  frame->Client()->setFont(font);
  for (const ControlTemplate& control : dialog.controls) {
    ControlWindow* made = CreateTemplateControl(screen, control, font);
    if (made != nullptr) {
      screen->children.push_back(made);
    }
  }
  NameFieldsByCaptions(screen);
  frame->UpdateContentHeight();
  return screen;
}

HWND FirstTabStop(ScreenWindow* screen) {
  for (HWND__* child : screen->children) {
    if (TakesTabStop(child)) {
      return child;
    }
  }
  return nullptr;
}

bool KeepsOnTop(const ScreenWindow* screen) {
  return (screen->dialog->style & kDialogSetForeground) != 0;
}

void DestroyScreen(ScreenWindow* screen) {
  for (auto& [id, timer] : screen->timers) {
    timer->stop();
    timer->deleteLater();
  }
  screen->timers.clear();
  PhoneFrame* frame = screen->frame;
  for (HWND__* child : screen->children) {
    DestroyWindowRecord(child);
  }
  DestroyWindowRecord(screen->bar);
  DestroyWindowRecord(screen);
  if (frame != nullptr) {
    frame->hide();
    frame->deleteLater();
  }
}

// The opener comes back with the focus it had.
void ReturnTo(ScreenWindow* opener) {
  if (opener->frame == nullptr) {
    return;
  }
  ProgramWindow()->Present(opener->frame, KeepsOnTop(opener), false);
  DispatchToScreen(opener, WM_ACTIVATE, WA_ACTIVE, 0);
}

// Told to end (a signal): the popup or message box open closes, the vibrator stops, and every
// screen ends as cancelled, newest first, so that each returns to its opener and the program
// leaves its screens as a person's Cancel and Exit would have it.
void EndEveryScreen() {
  if (QWidget* popup = QApplication::activePopupWidget(); popup != nullptr) {
    popup->close();
  }
  if (QWidget* cover = OpenCover(); cover != nullptr) {
    cover->close();
  }
  VibrateStop();
  const std::vector<ScreenWindow*> screens = ScreenStack();
  for (auto screen = screens.rbegin(); screen != screens.rend(); ++screen) {
    EndDialog(*screen, -1);
  }
}

}  // namespace

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const DLGTEMPLATE* dialog, HWND /*owner*/,
                                DLGPROC procedure, LPARAM initParam) {
  if (dialog == nullptr || procedure == nullptr || QApplication::instance() == nullptr ||
      EndRequestSignal() != 0) {
    return -1;
  }
  SetEndRequestHandler(EndEveryScreen);
  InstallKeyRouter();
  InstallAccessibility();
  ScreenWindow* previous = NewestScreenWindow();
  ScreenWindow* screen = MakeScreen(instance, *dialog, procedure);
  ScreenStack().push_back(screen);

  HWND first = FirstTabStop(screen);
  const INT_PTR focusFirst =
      DispatchToScreen(screen, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam);
  if (!screen->ended) {
    DispatchToScreen(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(screen));
    screen->frame->UpdateContentHeight();
    ProgramWindow()->Present(screen->frame, KeepsOnTop(screen), true);
    if (focusFirst != FALSE && first != nullptr && LiveWindow(first) != nullptr) {
      SetFocus(first);
    }
    DispatchToScreen(screen, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
  }
  if (!screen->ended) {
    QEventLoop loop;
    screen->loop = &loop;
    EnterModalLoop();
    loop.exec();
    LeaveModalLoop();
    screen->loop = nullptr;
  }

  const INT_PTR code = screen->endCode;
  const bool wasShown = screen->frame != nullptr && screen->frame->isVisible();
  ScreenStack().erase(std::find(ScreenStack().begin(), ScreenStack().end(), screen));
  DestroyScreen(screen);
  // An opener that ended meanwhile is about to close: it does not come back first.
  if (wasShown && previous != nullptr && LiveScreen(previous) != nullptr && !previous->ended) {
    ReturnTo(previous);
  }
  EndProgramWindowWhenEmpty();
  return code;
}

BOOL EndDialog(HWND window, INT_PTR code) {
  ScreenWindow* screen = CalledScreen(window, "EndDialog");
  if (screen == nullptr) {
    return FALSE;
  }
  // A screen ended twice before it closes returns the later code, as the phone's does.
  screen->endCode = code;
  if (screen->ended) {
    return TRUE;
  }
  screen->ended = true;
  if (screen->frame != nullptr && screen->frame->Popup()->IsOpen()) {
    screen->frame->Popup()->hide();
  }
  if (screen->loop != nullptr) {
    screen->loop->exit(0);
  }
  return TRUE;
}
