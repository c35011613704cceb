// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Used only inside platform/ui: the message box, drawn as the phone draws its own: a caption
// strip like the frame's top strip, the icon beside the wrapped text, and an OK button, no
// wider than the phone frame. It lies over the frames inside the program's window, so it needs
// no window manager to show its caption.
#include <QEventLoop>
#include <QString>
#include <QTextLayout>
#include <QWidget>

class QPushButton;

class PhoneMessageBox : public QWidget {
  Q_OBJECT
 public:
  PhoneMessageBox(QWidget* stage, const QString& caption, const QString& text, bool errorIcon);
  QString Caption() const { return caption_; }
  QString Text() const { return text_; }
  // Where the parts stand, in the box's own coordinates.
  QRect CaptionRect() const;
  QRect TextRect() const { return textRect_; }
  QRect ButtonRect() const;
  // Shows the box centred over the frame's client area until OK, Enter, Space, Escape or the
  // window's close button dismisses it; the frames take no input meanwhile.
  void Run();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void layOutText();
  void placeOverClientArea();

  QString caption_;
  QString text_;
  bool errorIcon_;
  QTextLayout textLayout_;
  QRect textRect_;
  QPushButton* button_;
  QEventLoop loop_;
};
