// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the phone frame every screen fills. Top to bottom: a 20-pixel
// caption strip, the client area holding the screen's own window (176 x 180, taller in a
// window taller than the phone's shape), and the 20-pixel soft-key bar. A soft key with a popup
// opens its entries over the client area. A scrolling screen (one whose content may be taller than
// the client area) keeps the client area's right edge for a slim scroll bar, shown while the
// content is taller.
#include <QColor>
#include <QPointer>
#include <QScrollArea>
#include <QString>
#include <QWidget>
#include <vector>

#include "platform/ui/internal/frame_metrics.h"
#include "platform/ui/resource_module.h"

struct HWND__;
struct ScreenWindow;
// The look of the slim scroll bar, kScrollBarWidth wide; report lists show it too.
extern const char kSlimScrollBarStyle[];
// The caption strip and the soft-key bar; message boxes head themselves with it too.
inline const QColor kStripColour(0x1F, 0x3A, 0x68);

class QGraphicsView;
class QScrollBar;

// The screen's own window: paints its background and hands WM_PAINT to the procedure.
class ScreenClient : public QWidget {
  Q_OBJECT
 public:
  ScreenClient(ScreenWindow* screen, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ScreenWindow* screen_;
};

// The object name of the window's stage.
inline constexpr char kStageName[] = "PhoneStage";

class SoftKeyPopup : public QWidget {
  Q_OBJECT
 public:
  SoftKeyPopup(ScreenWindow* screen, QWidget* parent);
  void Open(const SoftKey& key, bool onLeft);
  bool IsOpen() const { return isVisible(); }
  int EntryCount() const { return static_cast<int>(entries_.size()); }
  int Highlighted() const { return highlighted_; }
  // The caption of the soft key that opened it last ("Menu").
  QString OpenedBy() const { return openedBy_; }
  void MoveHighlight(int step);
  // The command of entry `index`, 0 when there is none.
  int CommandOf(int index) const;
  // "1 DEL", "2 About", ...
  QString EntryText(int index) const;
  // "DEL", "About", ...: what a screen reader calls the entry.
  QString EntryCaption(int index) const;
  QRect EntryRect(int index) const;  // in the popup's coordinates

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void TellHighlight();

  ScreenWindow* screen_;
  std::vector<PopupEntry> entries_;
  QString openedBy_;
  int highlighted_ = 0;
};

class PhoneFrame : public QWidget {
  Q_OBJECT
 public:
  PhoneFrame(ScreenWindow* screen, const QString& caption);
  ScreenClient* Client() const { return client_; }
  ScreenWindow* Screen() const { return screen_; }
  QScrollArea* ClientArea() const { return area_; }
  // The bar over the client area's right edge; nullptr for screens that do not scroll.
  QScrollBar* ScrollBar() const { return scrollBar_; }
  SoftKeyPopup* Popup() const { return popup_; }
  void SetCaption(const QString& caption);
  QString Caption() const { return caption_; }
  // Sizes the screen's window to the client area (or, for a scrolling screen, to its content).
  void FitClient(bool fullScreen);
  // Follows FrameHeight().
  void FitHeight();
  void UpdateContentHeight();
  void EnsureVisible(QWidget* child);
  QRect SoftKeyRect(bool left) const;
  // The soft key's caption ("New", "Menu"); empty when the bar has no such key.
  QString SoftKeyCaption(bool left) const;
  // The vibration's stand-in moves everything the frame shows this far sideways inside the
  // window: a Wayland window cannot move itself, and a window that jumps about is not a phone.
  void ShiftContent(int offset);
  int ContentShift() const { return shift_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void makeScrollBar();
  void followScrollRange();

  ScreenWindow* screen_;
  QString caption_;
  QScrollArea* area_;
  ScreenClient* client_;
  SoftKeyPopup* popup_;
  QScrollBar* scrollBar_ = nullptr;
  bool scrolls_ = false;
  bool fullScreen_ = false;
  int shift_ = 0;
};

// The program's one top-level window. Every screen's frame lies on its stage, the newest shown
// over the older ones, and a message box covers them there. Its title is the message box's
// caption while one is open, else the newest screen's caption ("Pelorin" when it has none).
// Closing it closes the message box, or else asks the newest screen to cancel.
// The window takes any size; the stage keeps the phone's logical pixels and is drawn scaled to
// fill it (the same both ways), centred: its width is the frame's, its height the frame's or
// more, as the window's shape allows. Text and lines are drawn at the real scale, pictures
// smoothly scaled, so nothing shows doubled pixels.
class PhoneWindow : public QWidget {
  Q_OBJECT
 public:
  PhoneWindow();
  // What the frames and message boxes are children of; kFrameWidth x FrameHeight().
  QWidget* Stage() const { return stage_; }
  // Shows `frame` over the others (hiding them), with the focus it had, and the window with it:
  // raised, active and, when `onTop`, kept above other windows. `firstShow` for a new screen,
  // false for one that comes back.
  void Present(PhoneFrame* frame, bool onTop, bool firstShow);
  // A message box covering the frames while it is open; nullptr when none.
  void SetCover(QWidget* cover);
  QWidget* Cover() const { return cover_; }
  void UpdateTitle();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Window pixels per pixel of the frame's layout: as large as the window's shape allows.
  qreal stageScale() const;

  QGraphicsView* view_;
  QWidget* stage_;
  QPointer<QWidget> cover_;
};

// The window, made when first asked for.
PhoneWindow* ProgramWindow();
// The message box open in the window, or nullptr; makes no window.
QWidget* OpenCover();
// Closes the window once no screen and no message box is left.
void EndProgramWindowWhenEmpty();

// The frame a window belongs to, or nullptr.
PhoneFrame* FrameOf(HWND__* window);

// The soft-key bar's actions, shared by keys and mouse.
void PressSoftKey(ScreenWindow* screen, bool left);
void ChoosePopupEntry(ScreenWindow* screen, int index);
