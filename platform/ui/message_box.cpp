// Message boxes: modal over the newest screen, with the error icon when asked for.
#include "platform/ui/message_box.h"

#include <QMessageBox>

#include "platform/ui/dialogs.h"
#include "platform/ui/internal/phone_frame.h"
#include "platform/ui/internal/windows.h"

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  HWND__* window = LiveWindow(owner);
  ScreenWindow* screen = window != nullptr ? window->screen : NewestScreenWindow();
  QWidget* parent = screen != nullptr ? screen->frame.data() : nullptr;
  QMessageBox box(parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.setTextFormat(Qt::PlainText);
  box.setWindowTitle(caption != nullptr ? QString::fromUtf16(caption) : QString());
  box.setText(text != nullptr ? QString::fromUtf16(text) : QString());
  box.setIcon((type & MB_ICONERROR) ? QMessageBox::Critical : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  EnterModalLoop();
  box.exec();
  LeaveModalLoop();
  return IDOK;
}
