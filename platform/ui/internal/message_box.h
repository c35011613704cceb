#pragma once
// Used only inside platform/ui: the message box, drawn as the phone draws its own: a caption
// strip like the frame's top strip, the icon beside the wrapped text, and an OK button, no
// wider than the phone frame. It needs no window manager to show its caption.
#include <QDialog>
#include <QString>
#include <QTextLayout>

class QPushButton;

class PhoneMessageBox : public QDialog {
  Q_OBJECT
 public:
  PhoneMessageBox(QWidget* frame, const QString& caption, const QString& text, bool errorIcon);
  QString Caption() const { return caption_; }
  QString Text() const { return text_; }
  // Where the parts stand, in the box's own coordinates.
  QRect CaptionRect() const;
  QRect TextRect() const { return textRect_; }
  QRect ButtonRect() const;
  // Centres the box over the frame's client area.
  void PlaceOver(QWidget* frame);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void layOutText();

  QString caption_;
  QString text_;
  bool errorIcon_;
  QTextLayout textLayout_;
  QRect textRect_;
  QPushButton* button_;
};
